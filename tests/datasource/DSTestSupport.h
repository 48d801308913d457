// A data source wired to the doubles of DSFakes.h, shared by the data source tests.
#pragma once

#include "DSFakes.h"
#include "common/modGlobalization.h"
#include "datasource/clsDSAccess.h"

#include <memory>

namespace qv::test {

struct DSWorld {
    FakeFile file;
    FakeOdbc odbc;
    FakeFactory factory{file, odbc};
    ScriptedToolkit toolkit;
    RecordingDialogs dialogs;
    std::string currentTable;
    std::vector<int> pointer;

    std::unique_ptr<clsDSAccess> make(int revision = 12) {
        modGlobalization::SetCountryCode(1);
        DSContext c;
        c.RevisionNumber = revision;
        c.Objects = &factory;
        c.Toolkit = &toolkit;
        c.Dialogs = &dialogs;
        c.CurrentTableName = [this] { return currentTable; };
        c.SetMousePointer = [this](int p) { pointer.push_back(p); };
        auto ds = std::make_unique<clsDSAccess>(std::move(c));
        ds->SetDatabasePath(file.path);
        return ds;
    }
};

} // namespace qv::test
