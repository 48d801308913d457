// A relation read from a foreign key: its fields pair the referenced column (name) with the
// referencing one (foreign name), in key order.
#pragma once

#include "platform/engine/IDaoDatabase.h"

namespace qv::engine {

class DaoRelation : public IDaoRelation {
  public:
    DaoRelation(std::string name, std::string table, std::string foreignTable, long attributes,
                std::vector<DaoFieldPtr> fields)
        : mName(std::move(name)), mTable(std::move(table)), mForeignTable(std::move(foreignTable)),
          mAttributes(attributes), mFields(std::move(fields)) {}
    std::string name() const override { return mName; }
    std::string table() const override { return mTable; }
    std::string foreignTable() const override { return mForeignTable; }
    long attributes() const override { return mAttributes; }
    std::vector<DaoFieldPtr> fields() const override { return mFields; }

  private:
    std::string mName;
    std::string mTable;
    std::string mForeignTable;
    long mAttributes;
    std::vector<DaoFieldPtr> mFields;
};

} // namespace qv::engine
