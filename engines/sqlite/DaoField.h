// A field of a table definition, index or relation, filled once by the catalogue reader.
// Property lookup by name is exact (case-sensitive), as the product's existence test expects.
#pragma once

#include "platform/engine/IDaoDatabase.h"

namespace qv::engine {

struct DaoFieldInfo {
    std::string name;
    int type = 10;
    long size = 0;
    long attributes = 0;
    std::string defaultValue;
    bool allowZeroLength = false;
    bool required = false;
    std::string foreignName;
    long ordinalPosition = 0;
    std::vector<DaoPropertyPtr> properties;
};

class DaoField : public IDaoField {
  public:
    explicit DaoField(DaoFieldInfo info) : mInfo(std::move(info)) {}
    std::string name() const override { return mInfo.name; }
    int type() const override { return mInfo.type; }
    long size() const override { return mInfo.size; }
    long attributes() const override { return mInfo.attributes; }
    std::string defaultValue() const override { return mInfo.defaultValue; }
    bool allowZeroLength() const override { return mInfo.allowZeroLength; }
    bool required() const override { return mInfo.required; }
    std::string foreignName() const override { return mInfo.foreignName; }
    long ordinalPosition() const override { return mInfo.ordinalPosition; }
    std::vector<DaoPropertyPtr> properties() const override { return mInfo.properties; }
    DaoPropertyPtr property(const std::string& name) const override;

  private:
    DaoFieldInfo mInfo;
};

} // namespace qv::engine
