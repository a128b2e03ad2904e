#include "cleanup/browser_database.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "os/sysinfo.h"

namespace cleanup {

namespace {

constexpr int kBusyTimeoutMs = 2000;

// RFC 3986 path characters pass, everything else is %-escaped, so a file
// name with '?' or '#' cannot change the URI's meaning.
std::string FileUri(const std::string& path, const char* query = "?mode=rw") {
  std::string uri = "file:";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    }
  }
  return uri + query;
}

bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// Schema and table names here are ours, never the user's data; they are still
// refused unless they are plain identifiers.
bool IsIdentifier(const std::string& name) {
  if (name.empty())
    return false;
  for (unsigned char c : name)
    if (!std::isalnum(c) && c != '_')
      return false;
  return true;
}

}  // namespace

bool IsMissingTableError(const std::string& error) { return error.rfind("no such table", 0) == 0; }

BrowserDatabase::~BrowserDatabase() { Close(); }

std::string BrowserDatabase::Uri(const std::string& path) const {
  if (!m_counter)
    return FileUri(path);
  // Read-only still creates a WAL database's -shm when there is none; a file
  // with no companions is the whole database, so it is read as immutable.
  // SQLite run by the superuser re-owns the companions it opens (a change of
  // their times): then the file alone is read, as it was last checkpointed.
  std::error_code error;
  if (!os::sysinfo::IsAdministrator())
    for (const char* suffix : {"-wal", "-shm", "-journal"})
      if (std::filesystem::exists(path + suffix, error))
        return FileUri(path, "?mode=ro&readonly_shm=1");
  return FileUri(path, "?mode=ro&immutable=1");
}

bool BrowserDatabase::Fail(int rc) {
  m_busy = rc == SQLITE_BUSY || rc == SQLITE_LOCKED || (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
  m_lastError = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
  return false;
}

bool BrowserDatabase::Open(const std::string& path) {
  Close();
  m_lastError.clear();
  m_busy = false;
  if (!IsRegularFile(path)) {
    m_lastError = "no such file";
    return false;
  }
  const int flags = (m_counter ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_URI;
  int rc = sqlite3_open_v2(Uri(path).c_str(), &m_db, flags, nullptr);
  if (rc != SQLITE_OK) {
    Fail(rc);
    Close();
    return false;
  }
  sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
  m_path = path;
  // Counting fills its temporary tables in memory: no file may appear.
  if (m_counter && !Exec("PRAGMA temp_store=MEMORY")) {
    Close();
    return false;
  }
  // Reading the schema proves the file is a database we may use.
  std::vector<std::string> modes;
  if (!Exec("PRAGMA secure_delete=ON") || !Column("SELECT count(*) FROM sqlite_master", modes) ||
      !Column("PRAGMA journal_mode", modes)) {
    std::string error = m_lastError;
    bool busy = m_busy;
    Close();
    m_lastError = error;
    m_busy = busy;
    return false;
  }
  if (!modes.empty() && modes[0] == "wal")
    m_walSchemas.push_back("main");
  return true;
}

bool BrowserDatabase::Attach(const std::string& path, const std::string& schema) {
  if (!m_db || !IsIdentifier(schema) || !IsRegularFile(path))
    return false;
  sqlite3_stmt* statement = nullptr;
  std::string sql = "ATTACH DATABASE ?1 AS " + schema;
  int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr);
  if (rc != SQLITE_OK)
    return Fail(rc);
  std::string uri = Uri(path);
  sqlite3_bind_text(statement, 1, uri.c_str(), -1, SQLITE_TRANSIENT);
  rc = sqlite3_step(statement);
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE)
    return Fail(rc);
  std::vector<std::string> modes;
  if (!Exec("PRAGMA " + schema + ".secure_delete=ON") || !Column("PRAGMA " + schema + ".journal_mode", modes)) {
    Exec("DETACH DATABASE " + schema);
    return false;
  }
  if (!modes.empty() && modes[0] == "wal")
    m_walSchemas.push_back(schema);
  m_attached.emplace_back(schema, path);
  return true;
}

void BrowserDatabase::Close() {
  if (!m_db)
    return;
  if (m_inTransaction)
    Rollback();
  // Only after a change: a checkpoint would wait for a browser's open transaction.
  for (const std::string& schema : m_committed ? m_walSchemas : std::vector<std::string>{}) {
    std::string sql = "PRAGMA " + schema + ".wal_checkpoint(TRUNCATE)";
    sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
  }
  m_walSchemas.clear();
  m_attached.clear();
  m_path.clear();
  m_committed = false;
  sqlite3_close_v2(m_db);
  m_db = nullptr;
}

bool BrowserDatabase::Begin() {
  // Counting only needs every count to see the same file.
  if (!Exec(m_counter ? "BEGIN" : "BEGIN IMMEDIATE"))
    return false;
  m_inTransaction = true;
  return true;
}

bool BrowserDatabase::Commit() {
  if (!m_inTransaction)
    return false;
  if (m_counter) {
    Rollback();
    return true;
  }
  if (!Exec("COMMIT")) {
    std::string error = m_lastError;
    bool busy = m_busy;
    Rollback();
    m_lastError = error;
    m_busy = busy;
    return false;
  }
  m_inTransaction = false;
  m_committed = true;
  return true;
}

void BrowserDatabase::Rollback() {
  if (m_db && m_inTransaction)
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
  m_inTransaction = false;
}

bool BrowserDatabase::Count(const std::string& sql, std::string* error) {
  // "DELETE FROM [schema.]table ..." -> "SELECT count(*) FROM [schema.]table ...".
  const std::string rest = sql.substr(std::char_traits<char>::length("DELETE FROM "));
  std::string name = rest.substr(0, rest.find(' '));
  std::string schema = "main";
  const std::size_t dot = name.find('.');
  if (dot != std::string::npos) {
    schema = name.substr(0, dot);
    name.erase(0, dot + 1);
  }
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
    name = name.substr(1, name.size() - 2);
  std::vector<std::string> count;
  if (!Column("SELECT count(*) FROM " + rest, count, error))
    return false;
  std::string database = m_path;
  for (const auto& [attached, path] : m_attached)
    if (attached == schema)
      database = path;
  const std::uint64_t rows = count.empty() ? 0 : std::strtoull(count[0].c_str(), nullptr, 10);
  m_counter->Rows(database, name, rows);
  return true;
}

bool BrowserDatabase::Exec(const std::string& sql, std::string* error) {
  if (!m_db)
    return false;
  if (m_counter && StartsWith(sql, "DELETE FROM ") && !StartsWith(sql, "DELETE FROM temp."))
    return Count(sql, error);
  // Rows kept but changed: nothing of them is deleted.
  if (m_counter && StartsWith(sql, "UPDATE "))
    return true;
  char* message = nullptr;
  int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message);
  if (rc == SQLITE_OK) {
    return true;
  }
  Fail(rc);
  if (message) {
    m_lastError = message;
    sqlite3_free(message);
  }
  if (error)
    *error = m_lastError;
  return false;
}

bool BrowserDatabase::ExecEach(const std::string& sql, const std::vector<std::string>& values, std::string* error) {
  if (!m_db)
    return false;
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr);
  if (rc != SQLITE_OK) {
    Fail(rc);
    if (error)
      *error = m_lastError;
    return false;
  }
  for (const std::string& value : values) {
    sqlite3_bind_text(statement, 1, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
    rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
      Fail(rc);
      sqlite3_finalize(statement);
      if (error)
        *error = m_lastError;
      return false;
    }
  }
  sqlite3_finalize(statement);
  return true;
}

bool BrowserDatabase::Column(const std::string& sql, std::vector<std::string>& values, std::string* error) {
  values.clear();
  if (!m_db)
    return false;
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr);
  if (rc != SQLITE_OK) {
    Fail(rc);
    if (error)
      *error = m_lastError;
    return false;
  }
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    int length = sqlite3_column_bytes(statement, 0);
    values.emplace_back(text ? reinterpret_cast<const char*>(text) : "", text ? static_cast<std::size_t>(length) : 0);
  }
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) {
    Fail(rc);
    if (error)
      *error = m_lastError;
    return false;
  }
  return true;
}

bool BrowserDatabase::FillTemporaryTable(const std::string& name, const std::vector<std::string>& values) {
  if (!IsIdentifier(name))
    return false;
  if (!Exec("CREATE TEMP TABLE IF NOT EXISTS " + name + "(value TEXT PRIMARY KEY) WITHOUT ROWID") ||
      !Exec("DELETE FROM temp." + name))
    return false;
  return ExecEach("INSERT OR IGNORE INTO temp." + name + "(value) VALUES (?1)", values);
}

bool BrowserDatabase::HasTable(const std::string& table, const std::string& schema) {
  if (!IsIdentifier(schema))
    return false;
  sqlite3_stmt* statement = nullptr;
  std::string sql = "SELECT 1 FROM " + schema + ".sqlite_master WHERE type = 'table' AND name = ?1";
  if (!m_db || sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
    return false;
  sqlite3_bind_text(statement, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  bool found = sqlite3_step(statement) == SQLITE_ROW;
  sqlite3_finalize(statement);
  return found;
}

bool BrowserDatabase::HasColumn(const std::string& table, const std::string& column) {
  sqlite3_stmt* statement = nullptr;
  if (!m_db || sqlite3_prepare_v2(m_db, "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2", -1, &statement,
                                  nullptr) != SQLITE_OK)
    return false;
  sqlite3_bind_text(statement, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(statement, 2, column.c_str(), -1, SQLITE_TRANSIENT);
  bool found = sqlite3_step(statement) == SQLITE_ROW;
  sqlite3_finalize(statement);
  return found;
}

}  // namespace cleanup
