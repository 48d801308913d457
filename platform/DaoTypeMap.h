// Which ADO data type stands for a field of a given DAO type. The add-in maps the types of a
// saved query's parameters, and the engine converts the values given for them, by this one table.
#pragma once

namespace qv {

class DaoTypeMap {
  public:
    // The ADO type of a DAO field type; text (adVarWChar) for a type the table does not name.
    // With withBigInt false, DAO's big integer is such an unnamed type, as the add-in's own table
    // has it (its parameters were never typed as big integers).
    static int adoType(int daoType, bool withBigInt = true);
};

} // namespace qv
