// A table definition as the catalogue reader found it; field lookup is case-insensitive.
#pragma once

#include "platform/engine/IDaoDatabase.h"

namespace qv::engine {

class DaoTableDef : public IDaoTableDef {
  public:
    DaoTableDef(std::string name, long attributes, std::vector<DaoFieldPtr> fields,
                std::vector<DaoIndexPtr> indexes, std::vector<DaoPropertyPtr> properties)
        : mName(std::move(name)), mAttributes(attributes), mFields(std::move(fields)),
          mIndexes(std::move(indexes)), mProperties(std::move(properties)) {}
    std::string name() const override { return mName; }
    long attributes() const override { return mAttributes; }
    std::string connect() const override { return {}; }
    std::vector<DaoFieldPtr> fields() const override { return mFields; }
    DaoFieldPtr field(const std::string& name) const override;
    std::vector<DaoIndexPtr> indexes() const override { return mIndexes; }
    std::vector<DaoPropertyPtr> properties() const override { return mProperties; }

  private:
    std::string mName;
    long mAttributes;
    std::vector<DaoFieldPtr> mFields;
    std::vector<DaoIndexPtr> mIndexes;
    std::vector<DaoPropertyPtr> mProperties;
};

} // namespace qv::engine
