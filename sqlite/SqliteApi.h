// The SQLite C interface as a table of entry points. Two libraries answer it in one process: the
// plain SQLite the engine links, and the encryption library loaded on demand, which exports the
// same names. A connection, its statements, its values and the functions registered on it must
// all be served by the library that opened it (their structures differ between the two builds),
// so every call made on a connection goes through the table kept with it.
#pragma once

#include <sqlite3.h>

namespace qv {

// Every entry point both libraries must answer; the member is the name after "sqlite3_".
#define QV_SQLITE_API_ENTRIES(X)                                                                             \
    X(open_v2)                                                                                               \
    X(close_v2)                                                                                              \
    X(exec)                                                                                                  \
    X(free)                                                                                                  \
    X(errmsg)                                                                                                \
    X(errstr)                                                                                                \
    X(errcode)                                                                                               \
    X(extended_errcode)                                                                                      \
    X(extended_result_codes)                                                                                 \
    X(busy_timeout)                                                                                          \
    X(db_readonly)                                                                                           \
    X(db_filename)                                                                                           \
    X(libversion_number)                                                                                     \
    X(changes)                                                                                               \
    X(last_insert_rowid)                                                                                     \
    X(db_config)                                                                                             \
    X(get_autocommit)                                                                                        \
    X(total_changes)                                                                                         \
    X(db_handle)                                                                                             \
    X(prepare_v2)                                                                                            \
    X(step)                                                                                                  \
    X(reset)                                                                                                 \
    X(finalize)                                                                                              \
    X(bind_parameter_count)                                                                                  \
    X(bind_parameter_index)                                                                                  \
    X(bind_null)                                                                                             \
    X(bind_int)                                                                                              \
    X(bind_int64)                                                                                            \
    X(bind_double)                                                                                           \
    X(bind_text)                                                                                             \
    X(bind_blob)                                                                                             \
    X(bind_text64)                                                                                           \
    X(bind_blob64)                                                                                           \
    X(column_count)                                                                                          \
    X(column_type)                                                                                           \
    X(column_int64)                                                                                          \
    X(column_double)                                                                                         \
    X(column_text)                                                                                           \
    X(column_blob)                                                                                           \
    X(column_bytes)                                                                                          \
    X(column_value)                                                                                          \
    X(column_name)                                                                                           \
    X(column_decltype)                                                                                       \
    X(create_function_v2)                                                                                    \
    X(user_data)                                                                                             \
    X(aggregate_context)                                                                                     \
    X(result_null)                                                                                           \
    X(result_int)                                                                                            \
    X(result_int64)                                                                                          \
    X(result_double)                                                                                         \
    X(result_text)                                                                                           \
    X(result_error)                                                                                          \
    X(result_value)                                                                                          \
    X(value_type)                                                                                            \
    X(value_int)                                                                                             \
    X(value_int64)                                                                                           \
    X(value_double)                                                                                          \
    X(value_text)                                                                                            \
    X(value_bytes)                                                                                           \
    X(value_blob)                                                                                            \
    X(value_dup)                                                                                             \
    X(value_free)

struct SqliteApi {
    // Which library answers: the registered dialect functions find their table by it, because a
    // callback receives only the library's own structures.
    enum class Library { Plain = 0, Cipher = 1 };
    static constexpr int LibraryCount = 2;

#define QV_SQLITE_API_MEMBER(name) decltype(&::sqlite3_##name) name = nullptr;
    QV_SQLITE_API_ENTRIES(QV_SQLITE_API_MEMBER)
#undef QV_SQLITE_API_MEMBER
    // Keys a connection; only the encryption library has it.
    int (*key)(sqlite3*, const void*, int) = nullptr;
    Library library = Library::Plain;

    // The linked SQLite.
    static const SqliteApi& plain();
    // Makes a table findable by its library (the encryption library installs itself once loaded).
    static void install(const SqliteApi& api);
    // The table installed for a library; the plain one when none was.
    static const SqliteApi& of(Library library);
};

} // namespace qv
