// Numbers of the catalogue object model that the add-in passes and compares.
#pragma once

namespace qv::dao {

// Field types (DataTypeEnum of the catalogue model).
enum DataType : int {
    Boolean = 1,
    Byte = 2,
    Integer = 3,
    Long = 4,
    Currency = 5,
    Single = 6,
    Double = 7,
    Date = 8,
    Binary = 9,
    Text = 10,
    LongBinary = 11,
    Memo = 12,
    GUID = 15,
    BigInt = 16,
    VarBinary = 17,
    Char = 18,
    Numeric = 19,
    Decimal = 20,
    Float = 21,
    Time = 22,
    TimeStamp = 23,
    Attachment = 101,
    ComplexByte = 102,
    ComplexInteger = 103,
    ComplexLong = 104,
    ComplexSingle = 105,
    ComplexDouble = 106,
    ComplexGUID = 107,
    ComplexDecimal = 108,
    ComplexText = 109,
};

// Field attributes.
constexpr long FieldFixed = 1;
constexpr long FieldVariable = 2;
constexpr long FieldAutoIncrement = 16;
constexpr long FieldUpdatable = 32;

// Table-definition attributes.
constexpr long SystemObject = static_cast<long>(0x80000002L);
constexpr long HiddenObject = 1;
constexpr long AttachedTable = 0x40000000;

// Query-definition types.
constexpr int QuerySelect = 0;
constexpr int QueryCrosstab = 16;
constexpr int QueryDelete = 32;
constexpr int QueryUpdate = 48;
constexpr int QueryAppend = 64;
constexpr int QueryMakeTable = 80;
constexpr int QueryDDL = 96;
constexpr int QuerySQLPassThrough = 112;
constexpr int QuerySetOperation = 128; // union
constexpr int QuerySPTBulk = 144;
constexpr int QueryCompound = 160;
constexpr int QueryProcedure = 224;
constexpr int QueryAction = 240;

// Parameter directions.
constexpr int ParamInput = 1;
constexpr int ParamOutput = 2;
constexpr int ParamInputOutput = 3;
constexpr int ParamReturnValue = 4;

} // namespace qv::dao
