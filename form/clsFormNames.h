// The lookup lists of a matrix: the distinct values of each referenced column, kept on the
// interface workbook's hidden lists sheet and named there, so that a column's validation can
// refer to "=lst_n". Lists are stacked in column B; each new list starts below the last row any
// earlier list used, blank values included.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

class clsForm;
class clsRelation;

class clsFormNames {
  public:
    static constexpr const char* ListPrefix = "lst_";
    static constexpr const char* BooleanList = "lst_Boolean";

    explicit clsFormNames(clsForm& form);

    // Empties the lists sheet and drops every "lst_" name, then writes the boolean list.
    void InitListsSheet();
    // The list of the relation's referenced column; answers its name.
    std::string BuildLookupList(const clsRelation& relation);

    std::int16_t ListCount() const { return mCount; }
    // The first row a new list would take.
    long NextListRow() const;

  private:
    clsForm& mForm;
    std::int16_t mCount = 0;
    long mLastRow = 4; // the last row of column B a list block takes
};

} // namespace qv
