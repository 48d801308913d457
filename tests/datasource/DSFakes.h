// Test doubles for the data source tests: a catalogue engine and a records connection over an
// in-memory database description, a class factory that creates them by ProgID, and scripted
// dialogs that answer as a person would. The catalogue double can express what a real file
// rarely offers on demand (system flags, pass-through queries, a lower-case "caption").
#pragma once

#include "platform/DialogModel.h"
#include "platform/IDialogs.h"
#include "platform/IObjectFactory.h"
#include "platform/NumberedError.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/IAdoCommand.h"
#include "platform/engine/IAdoConnection.h"
#include "platform/engine/IDaoDatabase.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qv::test {

struct FakeProperty : IDaoProperty {
    std::string n;
    Variant v;
    FakeProperty(std::string name, Variant value) : n(std::move(name)), v(std::move(value)) {}
    std::string name() const override { return n; }
    Variant value() const override { return v; }
    int type() const override { return 0; }
};

struct FakeField : IDaoField {
    std::string n;
    int t = 10;
    long attr = 0;
    std::string def;
    bool azl = false;
    std::string foreign;
    std::vector<DaoPropertyPtr> props;
    explicit FakeField(std::string name, int type = 10) : n(std::move(name)), t(type) {}
    FakeField& prop(const std::string& name, Variant value) {
        props.push_back(std::make_shared<FakeProperty>(name, std::move(value)));
        return *this;
    }
    std::string name() const override { return n; }
    int type() const override { return t; }
    long size() const override { return 0; }
    long attributes() const override { return attr; }
    std::string defaultValue() const override { return def; }
    bool allowZeroLength() const override { return azl; }
    bool required() const override { return false; }
    std::string foreignName() const override { return foreign; }
    long ordinalPosition() const override { return 0; }
    std::vector<DaoPropertyPtr> properties() const override { return props; }
    DaoPropertyPtr property(const std::string& name) const override {
        for (auto& p : props)
            if (p->name() == name) return p;
        return nullptr;
    }
};

struct FakeIndex : IDaoIndex {
    std::string n;
    bool prim = false;
    std::vector<DaoFieldPtr> f;
    std::string name() const override { return n; }
    bool primary() const override { return prim; }
    bool unique() const override { return prim; }
    std::vector<DaoFieldPtr> fields() const override { return f; }
};

struct FakeTableDef : IDaoTableDef {
    std::string n;
    long attr = 0;
    std::vector<std::shared_ptr<FakeField>> f;
    std::vector<DaoIndexPtr> idx;
    FakeTableDef(std::string name, long attributes = 0) : n(std::move(name)), attr(attributes) {}
    FakeField& add(const std::string& name, int type = 10) {
        f.push_back(std::make_shared<FakeField>(name, type));
        return *f.back();
    }
    FakeField& col(const std::string& name) {
        for (auto& x : f)
            if (x->n == name) return *x;
        throw NumberedError(err::ItemNotFound, "FakeTableDef", name);
    }
    void primaryKey(std::vector<std::string> cols) {
        auto i = std::make_shared<FakeIndex>();
        i->n = "PrimaryKey";
        i->prim = true;
        for (auto& c : cols)
            i->f.push_back(std::make_shared<FakeField>(c));
        idx.push_back(i);
    }
    std::string name() const override { return n; }
    long attributes() const override { return attr; }
    std::string connect() const override { return {}; }
    std::vector<DaoFieldPtr> fields() const override { return {f.begin(), f.end()}; }
    DaoFieldPtr field(const std::string& name) const override {
        for (auto& x : f)
            if (x->n == name) return x;
        return nullptr;
    }
    std::vector<DaoIndexPtr> indexes() const override { return idx; }
    std::vector<DaoPropertyPtr> properties() const override { return {}; }
};

struct FakeParameter : IDaoParameter {
    std::string n;
    int t = 10, d = 1;
    std::string name() const override { return n; }
    int type() const override { return t; }
    int direction() const override { return d; }
};

struct FakeQueryDef : IDaoQueryDef {
    std::string n;
    int t = 0;
    std::string s;
    std::vector<DaoParameterPtr> p;
    std::string name() const override { return n; }
    int type() const override { return t; }
    std::string sql() const override { return s; }
    std::vector<DaoParameterPtr> parameters() const override { return p; }
};

struct FakeRelation : IDaoRelation {
    std::string n, t, ft;
    std::vector<DaoFieldPtr> f;
    std::string name() const override { return n; }
    std::string table() const override { return t; }
    std::string foreignTable() const override { return ft; }
    long attributes() const override { return 0; }
    std::vector<DaoFieldPtr> fields() const override { return f; }
};

// What the file holds and how it is secured.
struct FakeFile {
    std::string path = "/data/shop.accdb";
    std::string dbPassword;                       // database password, "" = none
    std::map<std::string, std::string> workgroup; // user -> password when secured by a workgroup
    std::string workgroupFile;
    int failWith = 0;         // any open fails with this number
    int failPastPassword = 0; // an open with the right password fails with this number (damage)
    std::vector<std::shared_ptr<FakeTableDef>> tables;
    std::vector<std::shared_ptr<FakeQueryDef>> queries;
    std::vector<std::shared_ptr<FakeRelation>> relations;
    int opens = 0, closes = 0;
};

struct FakeDatabase : IDaoDatabase {
    FakeFile& file;
    explicit FakeDatabase(FakeFile& f) : file(f) {}
    std::string name() const override { return file.path; }
    std::vector<DaoTableDefPtr> tableDefs() const override {
        return {file.tables.begin(), file.tables.end()};
    }
    DaoTableDefPtr tableDef(const std::string& n) const override {
        for (auto& t : file.tables)
            if (t->n == n) return t;
        return nullptr;
    }
    std::vector<DaoQueryDefPtr> queryDefs() const override {
        return {file.queries.begin(), file.queries.end()};
    }
    DaoQueryDefPtr queryDef(const std::string&) const override { return nullptr; }
    std::vector<DaoRelationPtr> relations() const override {
        return {file.relations.begin(), file.relations.end()};
    }
    bool updatable() const override { return true; }
    void close() override { ++file.closes; }
};

struct FakeDaoEngine;

struct FakeWorkspace : IDaoWorkspace {
    FakeFile& file;
    FakeDaoEngine& engine;
    FakeWorkspace(FakeFile& f, FakeDaoEngine& e) : file(f), engine(e) {}
    std::string name() const override { return "#Default Workspace#"; }
    std::string userName() const override { return "admin"; }
    DaoDatabasePtr openDatabase(const std::string& name, int, bool, const std::string& connect) override;
    void close() override {}
};

struct FakeDaoEngine : IDaoEngine, IObject {
    FakeFile& file;
    std::string sysdb, user, password;
    explicit FakeDaoEngine(FakeFile& f) : file(f) {}
    void setSystemDB(const std::string& p) override { sysdb = p; }
    std::string systemDB() const override { return sysdb; }
    void setDefaultUser(const std::string& u) override { user = u; }
    void setDefaultPassword(const std::string& p) override { password = p; }
    std::vector<DaoWorkspacePtr> workspaces() override { return {workspace(0)}; }
    DaoWorkspacePtr workspace(long) override { return std::make_shared<FakeWorkspace>(file, *this); }
    std::string version() const override { return "12.0"; }
};

// The password of a ";pwd=..." connect text, braced values read the ODBC way.
inline std::string passwordOf(const std::string& connect) {
    const std::string key = ";pwd=";
    if (connect.rfind(key, 0) != 0) return "<no password key>";
    std::string v = connect.substr(key.size());
    if (v.empty() || v.front() != '{') return v.find(';') == std::string::npos ? v : "<split>";
    std::string out;
    for (std::size_t i = 1; i < v.size(); ++i) {
        if (v[i] == '}') {
            if (i + 1 < v.size() && v[i + 1] == '}') {
                out += '}';
                ++i;
                continue;
            }
            return i + 1 == v.size() ? out : "<text after brace>";
        }
        out += v[i];
    }
    return "<unterminated>";
}

inline DaoDatabasePtr FakeWorkspace::openDatabase(const std::string& name, int, bool,
                                                  const std::string& connect) {
    if (file.failWith) throw NumberedError(file.failWith, "DAO.Workspace", "engine failure");
    if (name != file.path)
        throw NumberedError(err::DatabaseFileNotFound, "DAO.Workspace",
                            "Could not find file '" + name + "'.");
    if (!file.workgroup.empty()) {
        auto it = file.workgroup.find(engine.user);
        if (engine.sysdb != file.workgroupFile || it == file.workgroup.end() || it->second != engine.password)
            throw NumberedError(err::DaoAccountNotValid, "DAO.Workspace",
                                "Not a valid account name or password.");
    } else if (passwordOf(connect) != file.dbPassword) {
        throw NumberedError(err::DaoPasswordNotValid, "DAO.Workspace", "Not a valid password.");
    }
    if (file.failPastPassword) throw NumberedError(file.failPastPassword, "DAO.Workspace", "damaged");
    ++file.opens;
    return std::make_shared<FakeDatabase>(file);
}

// ---- records side

struct FakeAdoField : IAdoField {
    std::string n;
    int t = ado::VarWChar;
    long size = 255;
    std::string name() const override { return n; }
    Variant value() const override { return {}; }
    int type() const override { return t; }
    long definedSize() const override { return size; }
};

struct FakeRecordset : IAdoRecordset {
    std::vector<std::shared_ptr<FakeAdoField>> f;
    int st = ado::StateOpen;
    int state() const override { return st; }
    void close() override { st = ado::StateClosed; }
    long long recordCount() const override { return 0; }
    bool eof() const override { return true; }
    bool bof() const override { return true; }
    void moveFirst() override {}
    void moveNext() override {}
    long long absolutePosition() const override { return 0; }
    long fieldCount() const override { return static_cast<long>(f.size()); }
    std::shared_ptr<IAdoField> field(long i) const override { return f.at(static_cast<std::size_t>(i)); }
    std::shared_ptr<IAdoField> field(const std::string& n) const override {
        for (auto& x : f)
            if (x->n == n) return x;
        throw NumberedError(err::ItemNotFound, "ADODB.Fields", "Item cannot be found in the collection.");
    }
    Variant valueAt(long long, long) const override { return {}; }
    FakeRecordset& add(const std::string& name, int type, long size = 255) {
        auto x = std::make_shared<FakeAdoField>();
        x->n = name;
        x->t = type;
        x->size = size;
        f.push_back(x);
        return *this;
    }
};

// The records server: which password it accepts and what statements answer.
struct FakeOdbc {
    std::string acceptPassword;
    std::vector<std::string> connectionStrings; // every string a connection was opened with
    std::vector<std::string> statements;
    std::function<AdoRecordsetPtr(const std::string&, long long*)> onExecute;
    int opened = 0;
};

struct FakeConnection : IAdoConnection, IObject {
    FakeOdbc& odbc;
    int cursor = 2, st = ado::StateClosed;
    std::string cs;
    explicit FakeConnection(FakeOdbc& o) : odbc(o) {}
    void setCursorLocation(int l) override { cursor = l; }
    int cursorLocation() const override { return cursor; }
    void setConnectionString(const std::string& t) override { cs = t; }
    std::string connectionString() const override { return cs; }
    void open(const std::string&, int) override {
        odbc.connectionStrings.push_back(cs);
        if (cs.find("Pwd=" + odbc.acceptPassword + ";") == std::string::npos)
            throw NumberedError(err::AdoOpenRefused, "Microsoft OLE DB Provider for ODBC Drivers",
                                "[ODBC] Not a valid password.");
        st = ado::StateOpen;
        ++odbc.opened;
    }
    int state() const override { return st; }
    void close() override { st = ado::StateClosed; }
    AdoRecordsetPtr execute(const std::string& sql, long long* affected, int) override {
        if (st != ado::StateOpen)
            throw NumberedError(err::AdoConnectionNotUsable, "ADODB.Connection", "closed");
        odbc.statements.push_back(sql);
        if (odbc.onExecute) return odbc.onExecute(sql, affected);
        if (affected) *affected = 0;
        auto rs = std::make_shared<FakeRecordset>();
        rs->st = ado::StateClosed;
        return rs;
    }
};

struct FakeFactory : IObjectFactory {
    FakeFile& file;
    FakeOdbc& odbc;
    std::vector<std::string> created;
    std::vector<std::weak_ptr<FakeConnection>> connections;
    FakeFactory(FakeFile& f, FakeOdbc& o) : file(f), odbc(o) {}
    ObjectPtr createObject(const std::string& progId) override {
        created.push_back(progId);
        if (progId == "DAO.DBEngine.120" || progId == "DAO.DBEngine.36")
            return std::make_shared<FakeDaoEngine>(file);
        if (progId == "ADODB.Connection") {
            auto c = std::make_shared<FakeConnection>(odbc);
            connections.push_back(c);
            return c;
        }
        throw NumberedError(err::CannotCreateObject, progId, "ActiveX component can't create object");
    }
    bool isRegistered(const std::string& progId) const override {
        return progId == "DAO.DBEngine.120" || progId == "DAO.DBEngine.36" || progId == "ADODB.Connection";
    }
};

// Plays a person: each showModal takes the next answer from the script.
struct ScriptedToolkit : IDialogToolkit {
    std::deque<std::function<void(DialogModel&)>> answers;
    std::vector<std::string> shown; // dialog names in order
    std::vector<std::string> focusAtShow;
    std::vector<std::string> userAtShow;
    int showModal(DialogModel& m) override {
        m.activate();
        shown.push_back(m.name());
        focusAtShow.push_back(m.focus());
        userAtShow.push_back(m.has("txtUser") ? m.control("txtUser").value.toString() : std::string("-"));
        if (answers.empty())
            throw NumberedError(err::SubscriptOutOfRange, "ScriptedToolkit",
                                "no answer scripted for " + m.name());
        auto a = std::move(answers.front());
        answers.pop_front();
        a(m);
        if (!m.closed())
            throw NumberedError(err::SubscriptOutOfRange, "ScriptedToolkit",
                                "the answer did not close " + m.name());
        return m.result();
    }
    void typeAndOk(std::string password, std::string user = {}) {
        answers.push_back([password, user](DialogModel& m) {
            if (!user.empty()) m.setValue("txtUser", Variant(user));
            m.setValue("txtPassword", Variant(password));
            m.click("cmdOK");
        });
    }
    void typeAndCancel(std::string password) {
        answers.push_back([password](DialogModel& m) {
            m.setValue("txtPassword", Variant(password));
            m.click("cmdCancel");
        });
    }
};

struct RecordingDialogs : IDialogs {
    struct Box {
        std::string text;
        int flags;
        std::string title;
    };
    std::vector<Box> boxes;
    int messageBox(const std::string& text, int flags, const std::string& title) override {
        boxes.push_back({text, flags, title});
        return 1;
    }
    std::optional<std::string> inputBox(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::optional<std::string> openFile(const std::string&, const std::string&,
                                        const std::vector<FileFilter>&) override {
        return {};
    }
    std::optional<std::string> saveAsFile(const std::string&, const std::string&,
                                          const std::vector<FileFilter>&) override {
        return {};
    }
    std::optional<long> pickColor(long) override { return {}; }
};

} // namespace qv::test
