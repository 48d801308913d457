// See DaoTypeMap.h.
#include "platform/DaoTypeMap.h"

#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

namespace qv {

int DaoTypeMap::adoType(int daoType, bool withBigInt) {
    switch (daoType) {
    case dao::Boolean:
        return ado::Boolean;
    case dao::Byte:
        return ado::UnsignedTinyInt;
    case dao::Integer:
        return ado::SmallInt;
    case dao::Long:
        return ado::Integer;
    case dao::Currency:
        return ado::Currency;
    case dao::Single:
        return ado::Single;
    case dao::Double:
        return ado::Double;
    case dao::Date:
        return ado::Date;
    case dao::Binary:
        return ado::VarBinary;
    case dao::LongBinary:
        return ado::LongVarBinary;
    case dao::Memo:
        return ado::LongVarWChar;
    case dao::GUID:
        return ado::GUID;
    case dao::Decimal:
        return ado::Numeric;
    case dao::BigInt:
        return withBigInt ? ado::BigInt : ado::VarWChar;
    default:
        return ado::VarWChar;
    }
}

} // namespace qv
