// A records-and-statements connection ("ADODB.Connection").
#pragma once

#include "platform/engine/IAdoRecordset.h"

#include <memory>
#include <optional>
#include <string>

namespace qv {

class IAdoConnection {
  public:
    virtual ~IAdoConnection() = default;
    virtual void setCursorLocation(int location) = 0;
    virtual int cursorLocation() const = 0;
    virtual void setConnectionString(const std::string& text) = 0;
    virtual std::string connectionString() const = 0;
    virtual void open(const std::string& connectionString = {}, int options = -1) = 0;
    virtual int state() const = 0;
    virtual void close() = 0;
    // Runs a statement. A row-returning statement answers an open record set and sets
    // recordsAffected to -1; other statements answer a closed one and the number of rows changed.
    virtual AdoRecordsetPtr execute(const std::string& commandText, long long* recordsAffected = nullptr,
                                    int options = -1) = 0;
};

using AdoConnectionPtr = std::shared_ptr<IAdoConnection>;

} // namespace qv
