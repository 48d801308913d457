// A command with parameters: statement text, or a saved query called as a stored procedure.
#pragma once

#include "platform/Variant.h"
#include "platform/engine/IAdoConnection.h"

#include <memory>
#include <string>

namespace qv {

class IAdoParameter {
  public:
    virtual ~IAdoParameter() = default;
    virtual std::string name() const = 0;
    virtual int type() const = 0;
    virtual int direction() const = 0;
    virtual long size() const = 0;
    virtual Variant value() const = 0;
    virtual void setValue(const Variant& v) = 0;
};

using AdoParameterPtr = std::shared_ptr<IAdoParameter>;

class IAdoCommand {
  public:
    virtual ~IAdoCommand() = default;
    virtual void setActiveConnection(const AdoConnectionPtr& connection) = 0;
    virtual void setCommandType(int type) = 0; // ado::CmdText or ado::CmdStoredProc
    virtual int commandType() const = 0;
    virtual void setCommandText(const std::string& text) = 0;
    virtual std::string commandText() const = 0;
    virtual AdoParameterPtr createParameter(const std::string& name, int type, int direction, long size,
                                            const Variant& value = {}) = 0;
    virtual void appendParameter(const AdoParameterPtr& p) = 0;
    virtual long parameterCount() const = 0;
    virtual AdoParameterPtr parameter(long index) const = 0;              // 0-based
    virtual AdoParameterPtr parameter(const std::string& name) const = 0; // error 3265 when absent
    virtual AdoRecordsetPtr execute(long long* recordsAffected = nullptr, int options = -1) = 0;
};

using AdoCommandPtr = std::shared_ptr<IAdoCommand>;

} // namespace qv
