// First, Last and the spread statistics as SQLite aggregate callbacks.
#include "engines/accesssql/AggregateFunctions.h"

#include "engines/accesssql/SqlValue.h"
#include "platform/NumberedError.h"

#include <cmath>
#include <fmt/format.h>

namespace qv::accesssql {

namespace {

struct Kept {
    sqlite3_value* value; // a copy owned by the aggregate
    bool seen;
};

void firstStep(sqlite3_context* ctx, int, sqlite3_value** a) {
    auto* k = static_cast<Kept*>(SqlValue::api().aggregate_context(ctx, sizeof(Kept)));
    if (!k || k->seen) return;
    k->value = SqlValue::api().value_dup(a[0]);
    k->seen = true;
}

void lastStep(sqlite3_context* ctx, int, sqlite3_value** a) {
    auto* k = static_cast<Kept*>(SqlValue::api().aggregate_context(ctx, sizeof(Kept)));
    if (!k) return;
    SqlValue::api().value_free(k->value);
    k->value = SqlValue::api().value_dup(a[0]);
    k->seen = true;
}

void keptFinal(sqlite3_context* ctx) {
    auto* k = static_cast<Kept*>(SqlValue::api().aggregate_context(ctx, 0));
    if (!k || !k->value) return SqlValue::api().result_null(ctx);
    SqlValue::api().result_value(ctx, k->value);
    SqlValue::api().value_free(k->value);
    k->value = nullptr;
}

// Welford's running mean and sum of squared deviations: stable for large groups.
struct Moments {
    long long n;
    double mean;
    double m2;
};

void momentsStep(sqlite3_context* ctx, int, sqlite3_value** a) {
    const auto v = SqlValue::number(a[0]);
    if (!v) {
        if (!SqlValue::isNull(a[0])) SqlValue::typeMismatch(ctx, "StDev/Var");
        return;
    }
    auto* m = static_cast<Moments*>(SqlValue::api().aggregate_context(ctx, sizeof(Moments)));
    if (!m) return;
    ++m->n;
    const double d = *v - m->mean;
    m->mean += d / static_cast<double>(m->n);
    m->m2 += d * (*v - m->mean);
}

template <bool Sample, bool Root> void momentsFinal(sqlite3_context* ctx) {
    auto* m = static_cast<Moments*>(SqlValue::api().aggregate_context(ctx, 0));
    const long long need = Sample ? 2 : 1;
    if (!m || m->n < need) return SqlValue::api().result_null(ctx);
    const double var = m->m2 / static_cast<double>(Sample ? m->n - 1 : m->n);
    SqlValue::api().result_double(ctx, Root ? std::sqrt(var) : var);
}

// Static, because the library keeps a pointer to each for as long as the connection lives.
constexpr SqlValue::Aggregate kFirst{firstStep, keptFinal};
constexpr SqlValue::Aggregate kLast{lastStep, keptFinal};
constexpr SqlValue::Aggregate kStDev{momentsStep, momentsFinal<true, true>};
constexpr SqlValue::Aggregate kStDevP{momentsStep, momentsFinal<false, true>};
constexpr SqlValue::Aggregate kVar{momentsStep, momentsFinal<true, false>};
constexpr SqlValue::Aggregate kVarP{momentsStep, momentsFinal<false, false>};

} // namespace

void AggregateFunctions::registerOn(SqliteRef db) {
    SqlValue::defineAggregate(db, "First", kFirst);
    SqlValue::defineAggregate(db, "Last", kLast);
    SqlValue::defineAggregate(db, "StDev", kStDev);
    SqlValue::defineAggregate(db, "StDevP", kStDevP);
    SqlValue::defineAggregate(db, "Var", kVar);
    SqlValue::defineAggregate(db, "VarP", kVarP);
}

} // namespace qv::accesssql
