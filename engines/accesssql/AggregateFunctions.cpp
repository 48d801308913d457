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
    auto* k = static_cast<Kept*>(sqlite3_aggregate_context(ctx, sizeof(Kept)));
    if (!k || k->seen) return;
    k->value = sqlite3_value_dup(a[0]);
    k->seen = true;
}

void lastStep(sqlite3_context* ctx, int, sqlite3_value** a) {
    auto* k = static_cast<Kept*>(sqlite3_aggregate_context(ctx, sizeof(Kept)));
    if (!k) return;
    sqlite3_value_free(k->value);
    k->value = sqlite3_value_dup(a[0]);
    k->seen = true;
}

void keptFinal(sqlite3_context* ctx) {
    auto* k = static_cast<Kept*>(sqlite3_aggregate_context(ctx, 0));
    if (!k || !k->value) return sqlite3_result_null(ctx);
    sqlite3_result_value(ctx, k->value);
    sqlite3_value_free(k->value);
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
    auto* m = static_cast<Moments*>(sqlite3_aggregate_context(ctx, sizeof(Moments)));
    if (!m) return;
    ++m->n;
    const double d = *v - m->mean;
    m->mean += d / static_cast<double>(m->n);
    m->m2 += d * (*v - m->mean);
}

template <bool Sample, bool Root> void momentsFinal(sqlite3_context* ctx) {
    auto* m = static_cast<Moments*>(sqlite3_aggregate_context(ctx, 0));
    const long long need = Sample ? 2 : 1;
    if (!m || m->n < need) return sqlite3_result_null(ctx);
    const double var = m->m2 / static_cast<double>(Sample ? m->n - 1 : m->n);
    sqlite3_result_double(ctx, Root ? std::sqrt(var) : var);
}

void defineAggregate(sqlite3* db, const char* name, void (*step)(sqlite3_context*, int, sqlite3_value**),
                     void (*final)(sqlite3_context*)) {
    if (sqlite3_create_function_v2(db, name, 1, SQLITE_UTF8, nullptr, nullptr, step, final, nullptr) !=
        SQLITE_OK)
        throw NumberedError(err::ForeignError, "Access SQL",
                            fmt::format("SQLite refused the function {}: {}", name, sqlite3_errmsg(db)));
}

} // namespace

void AggregateFunctions::registerOn(sqlite3* db) {
    defineAggregate(db, "First", firstStep, keptFinal);
    defineAggregate(db, "Last", lastStep, keptFinal);
    defineAggregate(db, "StDev", momentsStep, momentsFinal<true, true>);
    defineAggregate(db, "StDevP", momentsStep, momentsFinal<false, true>);
    defineAggregate(db, "Var", momentsStep, momentsFinal<true, false>);
    defineAggregate(db, "VarP", momentsStep, momentsFinal<false, false>);
}

} // namespace qv::accesssql
