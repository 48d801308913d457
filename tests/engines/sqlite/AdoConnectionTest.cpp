// Statements, record sets and commands through the records-and-statements connection.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/AdoCommand.h"
#include "engines/sqlite/DaoDatabase.h"
#include "engines/sqlite/MetadataStore.h"
#include "platform/engine/AdoConstants.h"

using namespace qv;
using namespace qv::enginetest;

namespace {

const char* const Schema = R"(
CREATE TABLE Customers (CustomerID INTEGER PRIMARY KEY, Name TEXT(40) NOT NULL UNIQUE);
CREATE TABLE Orders (OrderID INTEGER PRIMARY KEY, CustomerID INTEGER NOT NULL REFERENCES Customers,
                     Placed DATETIME, Shipped YESNO, Amount CURRENCY, Qty SMALLINT, Flag BYTE, Big BIGINT,
                     Ratio SINGLE, Note MEMO, Pic BLOB, Guid GUID, Odd INTEGER);
INSERT INTO Customers VALUES (1, 'Ada'), (2, 'Bert'), (3, 'Cees');
INSERT INTO Orders VALUES (10, 1, '2011-03-05 14:07:59', 1, 12.5, 3, 200, 5000000000, 0.5, 'first', x'0102', '{6F9619FF-8B86-D011-B42D-00C04FC964FF}', 7);
INSERT INTO Orders VALUES (11, 2, '2011-03-06', -1, 3, -2, 0, 1, 1.25, NULL, NULL, NULL, 'not a number');
INSERT INTO Orders VALUES (12, 2, NULL, 0, NULL, NULL, NULL, NULL, NULL, '', NULL, NULL, 2.5);
)";

class AdoConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir.file("shop.db");
        makeDatabase(path, Schema);
        connection = openConnection(path);
    }
    TempDir dir;
    std::string path;
    std::shared_ptr<engine::AdoConnection> connection;
};

} // namespace

TEST_F(AdoConnectionTest, RecordSetSurvivesClosingTheConnection) {
    long long affected = 0;
    auto rs = connection->execute("SELECT OrderID, Shipped FROM Orders ORDER BY OrderID", &affected);
    EXPECT_EQ(affected, -1);
    connection->close();
    EXPECT_EQ(connection->state(), ado::StateClosed);
    ASSERT_EQ(rs->state(), ado::StateOpen);
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_FALSE(rs->bof());
    std::vector<long long> ids;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext())
        ids.push_back(rs->field("orderid")->value().toInt64());
    EXPECT_EQ(ids, (std::vector<long long>{10, 11, 12}));
    EXPECT_EQ(rs->absolutePosition(), 0);
    EXPECT_EQ(errorNumberOf([&] { rs->moveNext(); }), err::NoCurrentRecord);
    EXPECT_EQ(errorNumberOf([&] { rs->field("Nope"); }), err::ItemNotFound);
    rs->close();
    EXPECT_EQ(rs->state(), ado::StateClosed);
    EXPECT_EQ(errorNumberOf([&] { rs->recordCount(); }), err::ObjectClosed);
}

TEST_F(AdoConnectionTest, EmptyRecordSetIsBothAtStartAndEnd) {
    auto rs = connection->execute("SELECT * FROM Orders WHERE 0");
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_TRUE(rs->bof());
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->fieldCount(), 13);
}

TEST_F(AdoConnectionTest, RecordsAffectedByChangesAndNoneByDefinitions) {
    long long affected = -5;
    auto rs = connection->execute("UPDATE Orders SET Qty = 9 WHERE CustomerID = 2", &affected);
    EXPECT_EQ(affected, 2);
    EXPECT_EQ(rs->state(), ado::StateClosed);
    connection->execute("CREATE TABLE Extra (X INTEGER)", &affected);
    EXPECT_EQ(affected, 0);
    connection->execute("DELETE FROM Orders WHERE OrderID = 99", &affected);
    EXPECT_EQ(affected, 0);
}

TEST_F(AdoConnectionTest, ValuesComeBackWithTheirDeclaredTypes) {
    auto rs = connection->execute("SELECT * FROM Orders ORDER BY OrderID");
    auto type = [&](const char* n) { return rs->field(n)->type(); };
    EXPECT_EQ(type("Placed"), ado::DBTimeStamp);
    EXPECT_EQ(type("Shipped"), ado::Boolean);
    EXPECT_EQ(type("Amount"), ado::Currency);
    EXPECT_EQ(type("Qty"), ado::SmallInt);
    EXPECT_EQ(type("Flag"), ado::UnsignedTinyInt);
    EXPECT_EQ(type("Big"), ado::BigInt);
    EXPECT_EQ(type("Ratio"), ado::Single);
    EXPECT_EQ(type("Note"), ado::LongVarWChar);
    EXPECT_EQ(type("Pic"), ado::LongVarBinary);
    EXPECT_EQ(type("Guid"), ado::GUID);

    // Row 1.
    EXPECT_DOUBLE_EQ(rs->valueAt(0, 2).toDate().value, 40607.0 + (14 * 3600 + 7 * 60 + 59) / 86400.0);
    EXPECT_EQ(rs->valueAt(0, 3), Variant(true));
    EXPECT_EQ(rs->valueAt(0, 4), Variant(Currency{125000}));
    EXPECT_EQ(rs->valueAt(0, 5), Variant::integer(3));
    EXPECT_EQ(rs->valueAt(0, 6), Variant::byteValue(200));
    EXPECT_EQ(rs->valueAt(0, 7), Variant(std::int64_t{5000000000}));
    EXPECT_EQ(rs->valueAt(0, 8), Variant::single(0.5f));
    EXPECT_EQ(rs->valueAt(0, 10), Variant(Binary{1, 2}));
    EXPECT_EQ(rs->valueAt(0, 11).str(), "{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
    // Row 2: any nonzero yes/no reads as true; a text in an integer column is kept as text.
    EXPECT_DOUBLE_EQ(rs->valueAt(1, 2).toDate().value, 40608.0);
    EXPECT_EQ(rs->valueAt(1, 3), Variant(true));
    EXPECT_TRUE(rs->valueAt(1, 9).isNull());
    EXPECT_EQ(rs->valueAt(1, 12), Variant("not a number"));
    // Row 3: nulls stay null, an empty text is not null.
    EXPECT_TRUE(rs->valueAt(2, 2).isNull());
    EXPECT_EQ(rs->valueAt(2, 3), Variant(false));
    EXPECT_TRUE(rs->valueAt(2, 4).isNull());
    EXPECT_EQ(rs->valueAt(2, 9), Variant(""));
    EXPECT_EQ(rs->valueAt(2, 12), Variant(2.5));
    EXPECT_EQ(errorNumberOf([&] { rs->valueAt(3, 0); }), err::SubscriptOutOfRange);
}

TEST_F(AdoConnectionTest, ExpressionColumnsTakeTheTypeOfTheirValues) {
    auto rs =
        connection->execute("SELECT count(*) AS N, 'x' || Name AS Label, NULL AS Absent FROM Customers");
    EXPECT_EQ(rs->field("N")->type(), ado::Integer);
    EXPECT_EQ(rs->field("N")->value(), Variant::longValue(3));
    EXPECT_EQ(rs->field("Label")->type(), ado::VarWChar);
    EXPECT_TRUE(rs->field("Absent")->value().isNull());
}

// A crosstab's heading column is empty in its first rows wherever that heading has no data
// there; its numbers were read as text ("312.0") because the type was settled only by a first row.
TEST_F(AdoConnectionTest, ExpressionColumnLeadingNullsTakeTheTypeOfTheFirstValue) {
    auto rs =
        connection->execute("SELECT OrderID, CASE WHEN OrderID > 10 THEN Qty * 1.5 END AS Scaled, "
                            "CASE WHEN OrderID = 12 THEN 'late' END AS Tag FROM Orders ORDER BY OrderID");
    EXPECT_EQ(rs->field("Scaled")->type(), ado::Double);
    EXPECT_TRUE(rs->valueAt(0, 1).isNull());
    EXPECT_EQ(rs->valueAt(1, 1), Variant(-3.0));
    EXPECT_TRUE(rs->valueAt(2, 1).isNull());
    EXPECT_EQ(rs->field("Tag")->type(), ado::VarWChar);
    EXPECT_TRUE(rs->valueAt(1, 2).isNull());
    EXPECT_EQ(rs->valueAt(2, 2), Variant("late"));
}

// SQLite lets a BLOB column hold text and numbers; they were read as bytes, which a sheet shows
// as an empty cell, and a person typing into that "empty" cell wrote over the value.
TEST_F(AdoConnectionTest, TextAndNumbersInABinaryColumnKeepTheirType) {
    connection->execute("UPDATE Orders SET Pic = CASE OrderID WHEN 11 THEN 'a text' WHEN 12 THEN 42 END "
                        "WHERE OrderID > 10");
    auto rs = connection->execute("SELECT Pic FROM Orders ORDER BY OrderID");
    EXPECT_EQ(rs->field("Pic")->type(), ado::LongVarBinary);
    EXPECT_EQ(rs->valueAt(0, 0), Variant(Binary{1, 2}));
    EXPECT_EQ(rs->valueAt(1, 0), Variant("a text"));
    EXPECT_EQ(rs->valueAt(2, 0), Variant(std::int64_t{42}));
}

TEST_F(AdoConnectionTest, ConstraintFailuresNameTableAndField) {
    std::string description;
    EXPECT_EQ(
        errorNumberOf([&] { connection->execute("INSERT INTO Orders (OrderID) VALUES (20)"); }, &description),
        err::RequiredField);
    EXPECT_EQ(description, "The field 'Orders.CustomerID' cannot contain a Null value.");
    EXPECT_EQ(
        errorNumberOf([&] { connection->execute("INSERT INTO Customers VALUES (4, 'Ada')"); }, &description),
        err::DuplicateValues);
    EXPECT_NE(description.find("duplicate values in the index, primary key, or relationship"),
              std::string::npos);
    EXPECT_NE(description.find("Customers.Name"), std::string::npos);
    EXPECT_EQ(errorNumberOf(
                  [&] { connection->execute("INSERT INTO Orders (OrderID, CustomerID) VALUES (21, 77)"); }),
              err::RelatedRecordRequired);
}

TEST_F(AdoConnectionTest, UnknownTableAndSecondStatementAreRefused) {
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { connection->execute("SELECT * FROM Nowhere"); }, &description),
              err::UnknownObject);
    EXPECT_NE(description.find("'Nowhere'"), std::string::npos);
    EXPECT_EQ(errorNumberOf([&] { connection->execute("DELETE FROM Orders; DROP TABLE Customers"); }),
              err::CharactersAfterEnd);
    EXPECT_EQ(connection->execute("SELECT * FROM Orders")->recordCount(), 3); // nothing ran
    EXPECT_EQ(connection->execute("SELECT 1;  ")->recordCount(), 1);
}

TEST_F(AdoConnectionTest, ClosedConnectionIsNotUsable) {
    connection->close();
    EXPECT_EQ(errorNumberOf([&] { connection->execute("SELECT 1"); }), err::AdoConnectionNotUsable);
    engine::AdoCommand cmd;
    cmd.setActiveConnection(connection);
    cmd.setCommandText("SELECT 1");
    EXPECT_EQ(errorNumberOf([&] { cmd.execute(); }), err::AdoConnectionNotUsable);
    engine::AdoCommand orphan;
    orphan.setCommandText("SELECT 1");
    EXPECT_EQ(errorNumberOf([&] { orphan.execute(); }), err::AdoConnectionNotUsable);
}

class AdoCommandTest : public AdoConnectionTest {
  protected:
    void SetUp() override {
        AdoConnectionTest::SetUp();
        auto db = openDao(path);
        engine::MetadataStore store(std::dynamic_pointer_cast<engine::DaoDatabase>(db)->handle()->db());
        store.saveQuery("Orders of customer",
                        "PARAMETERS [Customer Name] Text (40), MinQty Short;\n"
                        "SELECT o.OrderID FROM Orders o JOIN Customers c ON c.CustomerID = o.CustomerID "
                        "WHERE c.Name = [Customer Name] AND o.Qty >= MinQty AND c.Name <> '[Customer Name]' "
                        "ORDER BY o.OrderID");
        store.saveQuery("Ship customer",
                        "PARAMETERS Who Long; UPDATE Orders SET Shipped = 1 WHERE CustomerID = Who");
    }
};

TEST_F(AdoCommandTest, StoredProcedureBindsParametersByName) {
    engine::AdoCommand cmd;
    cmd.setActiveConnection(connection);
    cmd.setCommandType(ado::CmdStoredProc);
    cmd.setCommandText("`Orders of customer`");
    // Appended in another order than declared, with the values as typed text.
    cmd.appendParameter(cmd.createParameter("MinQty", ado::SmallInt, ado::ParamInput, 2, Variant(0)));
    cmd.appendParameter(cmd.createParameter("Customer Name", ado::VarWChar, ado::ParamInput, 4, Variant(0)));
    cmd.parameter("customer name")->setValue(Variant("Bert"));
    cmd.parameter("MinQty")->setValue(Variant("-5"));
    long long affected = 0;
    auto rs = cmd.execute(&affected);
    EXPECT_EQ(affected, -1);
    ASSERT_EQ(rs->recordCount(), 1); // order 12 has no quantity
    EXPECT_EQ(rs->valueAt(0, 0).toInt64(), 11);
    cmd.parameter("MinQty")->setValue(Variant("0"));
    EXPECT_EQ(cmd.execute()->recordCount(), 0); // order 11 has quantity -2
}

TEST_F(AdoCommandTest, ActionQueryReportsRecordsAffected) {
    engine::AdoCommand cmd;
    cmd.setActiveConnection(connection);
    cmd.setCommandType(ado::CmdStoredProc);
    cmd.setCommandText("`Ship customer`");
    cmd.appendParameter(cmd.createParameter("Who", ado::Integer, ado::ParamInput, 1, Variant("2")));
    long long affected = 0;
    auto rs = cmd.execute(&affected);
    EXPECT_EQ(rs->state(), ado::StateClosed);
    EXPECT_EQ(affected, 2);
}

TEST_F(AdoCommandTest, MissingOrUnusableParametersAreImproperlyDefined) {
    engine::AdoCommand cmd;
    cmd.setActiveConnection(connection);
    cmd.setCommandType(ado::CmdStoredProc);
    cmd.setCommandText("`Orders of customer`");
    cmd.appendParameter(
        cmd.createParameter("Customer Name", ado::VarWChar, ado::ParamInput, 3, Variant("Ada")));
    EXPECT_EQ(errorNumberOf([&] { cmd.execute(); }), err::AdoParameterImproperlyDefined);
    cmd.appendParameter(cmd.createParameter("MinQty", ado::SmallInt, ado::ParamInput, 3, Variant("abc")));
    EXPECT_EQ(errorNumberOf([&] { cmd.execute(); }), err::AdoParameterImproperlyDefined);
    // A text parameter without a size cannot be appended.
    EXPECT_EQ(errorNumberOf([&] {
                  cmd.appendParameter(
                      cmd.createParameter("X", ado::VarWChar, ado::ParamInput, 0, Variant("")));
              }),
              err::AdoParameterImproperlyDefined);
    EXPECT_EQ(errorNumberOf([&] { cmd.parameter("Nope"); }), err::ItemNotFound);
}

TEST_F(AdoCommandTest, UnknownSavedQueryAndPlainTextCommands) {
    engine::AdoCommand cmd;
    cmd.setActiveConnection(connection);
    cmd.setCommandType(ado::CmdStoredProc);
    cmd.setCommandText("`No such query`");
    EXPECT_EQ(errorNumberOf([&] { cmd.execute(); }), err::UnknownObject);
    cmd.setCommandType(ado::CmdText);
    cmd.setCommandText("SELECT Name FROM Customers WHERE CustomerID = 2");
    EXPECT_EQ(cmd.execute()->valueAt(0, 0), Variant("Bert"));
}

TEST_F(AdoCommandTest, TextCommandsBindDeclaredOrPositionalParameters) {
    engine::AdoCommand cmd;
    cmd.setActiveConnection(connection);
    cmd.setCommandText("PARAMETERS [Min Id] Long; SELECT OrderID FROM Orders WHERE OrderID >= [Min Id]");
    cmd.appendParameter(cmd.createParameter("min id", ado::Integer, ado::ParamInput, 2, Variant("11")));
    EXPECT_EQ(cmd.execute()->recordCount(), 2);

    engine::AdoCommand positional;
    positional.setActiveConnection(connection);
    positional.setCommandText("SELECT Name FROM Customers WHERE CustomerID = ? OR Name = ?");
    positional.appendParameter(
        positional.createParameter("a", ado::Integer, ado::ParamInput, 1, Variant("1")));
    EXPECT_EQ(errorNumberOf([&] { positional.execute(); }), err::AdoParameterImproperlyDefined);
    positional.appendParameter(
        positional.createParameter("b", ado::VarWChar, ado::ParamInput, 4, Variant("Cees")));
    EXPECT_EQ(positional.execute()->recordCount(), 2);
    // A statement declaring parameters cannot run without them.
    EXPECT_EQ(errorNumberOf([&] { connection->execute("PARAMETERS X Long; SELECT X"); }),
              err::AdoParameterImproperlyDefined);
}

TEST_F(AdoConnectionTest, LargeColumnsKeepEveryValueNullAndWidenedInteger) {
    // 50,000 rows: the buffers move from the heap into mappings, the null bitmap spans many words,
    // and one value past 32 bits widens the integer column after thousands of narrow ones.
    makeDatabase(
        path,
        "CREATE TABLE Big (N INTEGER, T TEXT, D DATETIME);"
        "WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < 49999) "
        "INSERT INTO Big SELECT CASE WHEN i % 7 = 0 THEN NULL WHEN i = 30000 THEN 6000000000 ELSE i END,"
        " CASE WHEN i % 5 = 0 THEN NULL ELSE printf('row %d', i) END,"
        " printf('2020-01-01 00:00:%02d', i % 60) FROM s;");
    auto rs = connection->execute("SELECT * FROM Big ORDER BY rowid");
    ASSERT_EQ(rs->recordCount(), 50000);
    for (long long i = 0; i < 50000; ++i) {
        const Variant n = rs->valueAt(i, 0);
        if (i % 7 == 0) {
            ASSERT_TRUE(n.isNull()) << i;
        } else if (i == 30000) {
            ASSERT_EQ(n, Variant(std::int64_t{6000000000})) << i;
        } else {
            ASSERT_EQ(n, Variant::longValue(static_cast<std::int32_t>(i))) << i;
        }
        const Variant t = rs->valueAt(i, 1);
        if (i % 5 == 0) {
            ASSERT_TRUE(t.isNull()) << i;
        } else {
            ASSERT_EQ(t.str(), "row " + std::to_string(i)) << i;
        }
        ASSERT_DOUBLE_EQ(rs->valueAt(i, 2).toDate().value, 43831.0 + static_cast<double>(i % 60) / 86400.0)
            << i;
    }
}

// Regression: a REAL column was reported as single precision, so 12345.67 came back as
// 12345.669921875 and an edit would have written the rounded value back.
TEST_F(AdoConnectionTest, RealColumnsKeepEveryDigitOfTheirDoubles) {
    connection->execute("CREATE TABLE Amounts (id INTEGER PRIMARY KEY, amount REAL)");
    connection->execute("INSERT INTO Amounts VALUES (1, 12345.67)");
    auto rs = connection->execute("SELECT amount FROM Amounts");
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(rs->field(0L)->type(), ado::Double);
    EXPECT_EQ(rs->field(0L)->value().toDouble(), 12345.67);
}

TEST_F(AdoConnectionTest, TransactionWritesAllOrNothingAndKeepsTheJournalMode) {
    // The file's own journal mode (here write-ahead logging, bytes 18 and 19 of the header).
    connection->close();
    makeDatabase(path, "PRAGMA journal_mode=WAL;");
    connection = openConnection(path);
    auto journal = [&] { return readAll(path).substr(18, 2); };
    const std::string before = journal();
    ASSERT_EQ(before, std::string("\x02\x02"));
    long long affected = 0;
    connection->beginTrans();
    connection->execute("UPDATE Customers SET Name = 'Anna' WHERE CustomerID = 1", &affected);
    EXPECT_EQ(affected, 1);
    connection->rollbackTrans();
    EXPECT_EQ(
        connection->execute("SELECT Name FROM Customers WHERE CustomerID = 1")->field(0)->value().toString(),
        "Ada");
    // A second rollback finds no transaction and is harmless.
    connection->rollbackTrans();

    connection->beginTrans();
    connection->execute("UPDATE Customers SET Name = 'Anna' WHERE CustomerID = 1", &affected);
    // A refused statement inside the transaction leaves the earlier one pending.
    EXPECT_NE(errorNumberOf(
                  [&] { connection->execute("UPDATE Customers SET Name = 'Bert' WHERE CustomerID = 3"); }),
              0);
    connection->commitTrans();
    connection->close();
    connection = openConnection(path);
    EXPECT_EQ(
        connection->execute("SELECT Name FROM Customers WHERE CustomerID = 1")->field(0)->value().toString(),
        "Anna");
    EXPECT_EQ(
        connection->execute("SELECT Name FROM Customers WHERE CustomerID = 3")->field(0)->value().toString(),
        "Cees");
    connection->close();
    EXPECT_EQ(journal(), before);
    connection = openConnection(path);
    EXPECT_NE(errorNumberOf([&] { connection->commitTrans(); }), 0);
}

namespace {
// Cancels once it has been asked a given number of times, and counts what it heard.
class CountingProgress : public IProgress {
  public:
    explicit CountingProgress(int cancelAfterAsks) : mCancelAfter(cancelAfterAsks) {}
    void Report(double, const std::string& text) override {
        ++reports;
        last = text;
    }
    bool Cancelled() const override { return ++mAsked > mCancelAfter && mCancelAfter >= 0; }
    int reports = 0;
    std::string last;

  private:
    int mCancelAfter;
    mutable int mAsked = 0;
};
} // namespace

TEST_F(AdoConnectionTest, LongFetchReportsAndCanBeCancelled) {
    const std::string many = dir.file("many.db");
    makeDatabase(many, "CREATE TABLE Many (n INTEGER);"
                       "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 20000) "
                       "INSERT INTO Many SELECT n FROM c;");
    connection = openConnection(many);
    CountingProgress watching(-1);
    connection->setProgress(&watching);
    auto rs = connection->execute("SELECT n FROM Many");
    EXPECT_EQ(rs->recordCount(), 20000);
    EXPECT_GE(watching.reports, 4);
    EXPECT_EQ(watching.last, "16384 rows");

    CountingProgress cancelling(1);
    connection->setProgress(&cancelling);
    EXPECT_EQ(errorNumberOf([&] { connection->execute("SELECT n FROM Many"); }), ProgressCancelled);
    // A command on the same connection is watched too, and the connection stays usable.
    connection->setProgress(nullptr);
    EXPECT_EQ(connection->execute("SELECT COUNT(*) FROM Many")->valueAt(0, 0).toInt64(), 20000);
}
