// Numbers of the records-and-statements object model that the add-in passes and compares.
#pragma once

namespace qv::ado {

// Field and parameter types (DataTypeEnum).
enum DataType : int {
    Empty = 0,
    TinyInt = 16,
    SmallInt = 2,
    Integer = 3,
    BigInt = 20,
    UnsignedTinyInt = 17,
    UnsignedSmallInt = 18,
    UnsignedInt = 19,
    UnsignedBigInt = 21,
    Single = 4,
    Double = 5,
    Currency = 6,
    Decimal = 14,
    Numeric = 131,
    Boolean = 11,
    Error = 10,
    UserDefined = 132,
    Variant = 12,
    IDispatch = 9,
    IUnknown = 13,
    GUID = 72,
    Date = 7,
    DBDate = 133,
    DBTime = 134,
    DBTimeStamp = 135,
    BSTR = 8,
    Char = 129,
    VarChar = 200,
    LongVarChar = 201,
    WChar = 130,
    VarWChar = 202,
    LongVarWChar = 203,
    Binary = 128,
    VarBinary = 204,
    LongVarBinary = 205,
    Chapter = 136,
    FileTime = 64,
    PropVariant = 138,
    VarNumeric = 139,
};

constexpr int UseClient = 3; // cursor location
constexpr int OptionUnspecified = -1;
constexpr int StateClosed = 0;
constexpr int StateOpen = 1;

constexpr int CmdText = 1;
constexpr int CmdTable = 2;
constexpr int CmdStoredProc = 4;

constexpr int ParamInput = 1;
constexpr int ParamOutput = 2;
constexpr int ParamInputOutput = 3;
constexpr int ParamReturnValue = 4;

} // namespace qv::ado
