// A data source over a real SQLite file in a scratch folder, connected as the form connects it,
// shared by the tests that read a sample database through the data source.
#pragma once

#include "common/modGlobalization.h"
#include "datasource/clsDSAccess.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "tests/support/EngineClassFactory.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace qv::test {

class FileDataSourceTest : public ::testing::Test {
  protected:
    // Connects a data source to the file at mPath, which the test has made; the current
    // table is mTable.
    void connect() {
        modGlobalization::SetCountryCode(1);
        DSContext c;
        c.RevisionNumber = 12;
        c.Objects = &mFactory;
        c.CurrentTableName = [this] { return mTable; };
        mDS = std::make_unique<clsDSAccess>(std::move(c));
        mDS->SetDatabasePath(mPath);
        ASSERT_TRUE(mDS->ConnectDAO());
    }

    TempDir mDir;
    std::string mPath;
    std::string mTable;
    EngineClassFactory<registerSqliteEngineClasses> mFactory;
    std::unique_ptr<clsDSAccess> mDS;
};

} // namespace qv::test
