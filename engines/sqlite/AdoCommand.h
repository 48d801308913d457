// A command ("ADODB.Command"): statement text, a table, or a saved query called as a stored
// procedure ("`Name`") whose declared parameters are bound by name from the appended ones.
#pragma once

#include "platform/IObjectFactory.h"
#include "platform/engine/IAdoCommand.h"

#include <vector>

namespace qv::engine {

class AdoCommand : public IAdoCommand, public IObject {
  public:
    void setActiveConnection(const AdoConnectionPtr& connection) override { mConnection = connection; }
    void setCommandType(int type) override { mType = type; }
    int commandType() const override { return mType; }
    void setCommandText(const std::string& text) override { mText = text; }
    std::string commandText() const override { return mText; }
    AdoParameterPtr createParameter(const std::string& name, int type, int direction, long size,
                                    const Variant& value = {}) override;
    void appendParameter(const AdoParameterPtr& p) override;
    long parameterCount() const override { return static_cast<long>(mParameters.size()); }
    AdoParameterPtr parameter(long index) const override;
    AdoParameterPtr parameter(const std::string& name) const override;
    AdoRecordsetPtr execute(long long* recordsAffected = nullptr, int options = -1) override;

    // The value converted to what the parameter's type asks for; raises 3708 when it cannot be.
    static Variant convertForType(const Variant& value, int adoType);

  private:
    std::string savedQuerySql() const;
    AdoConnectionPtr mConnection;
    int mType = 1;
    std::string mText;
    std::vector<AdoParameterPtr> mParameters;
};

} // namespace qv::engine
