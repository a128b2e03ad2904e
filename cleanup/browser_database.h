#pragma once
// A browser's SQLite database edited in place. Only existing files are
// opened (never created), a running browser gets about two seconds to let
// go, deleted rows are overwritten in the file, and a WAL database is
// checkpointed before it is closed so nothing deleted stays in its -wal.
#include <string>
#include <vector>

struct sqlite3;

namespace cleanup {

class BrowserDatabase {
 public:
  BrowserDatabase() = default;
  ~BrowserDatabase();
  BrowserDatabase(const BrowserDatabase&) = delete;
  BrowserDatabase& operator=(const BrowserDatabase&) = delete;

  // False when the file is missing, is no database, or stays locked.
  bool Open(const std::string& path);
  bool IsOpen() const { return m_db != nullptr; }
  // Checkpoints a WAL database and closes; also called by the destructor.
  void Close();

  // One transaction per item; Begin takes the write lock at once, so a
  // locked database fails here and is left unchanged.
  bool Begin();
  bool Commit();
  void Rollback();

  // Runs one statement; false with the error text on failure.
  bool Exec(const std::string& sql, std::string* error = nullptr);
  // Runs a statement with one bound text parameter per element, once per element.
  bool ExecEach(const std::string& sql, const std::vector<std::string>& values, std::string* error = nullptr);
  // Fills the text column of each row of the query into `values`.
  bool Column(const std::string& sql, std::vector<std::string>& values, std::string* error = nullptr);

  // Creates (or empties) a temporary one-column table "temp.<name>(value)"
  // holding `values`; statements then refer to it instead of quoted lists.
  bool FillTemporaryTable(const std::string& name, const std::vector<std::string>& values);

  // Makes another existing database file reachable as `schema`; false when
  // it does not exist (it is never created).
  bool Attach(const std::string& path, const std::string& schema);

  bool HasTable(const std::string& table, const std::string& schema = "main");
  bool HasColumn(const std::string& table, const std::string& column);

  const std::string& LastError() const { return m_lastError; }
  // True when the last failure was the database being locked by someone else.
  bool LastFailureWasBusy() const { return m_busy; }

 private:
  bool Fail(int rc);

  sqlite3* m_db = nullptr;
  bool m_inTransaction = false;
  bool m_committed = false;
  std::vector<std::string> m_walSchemas;
  std::string m_lastError;
  bool m_busy = false;
};

// "no such table: x" — the statement named a table this schema lacks.
bool IsMissingTableError(const std::string& error);

}  // namespace cleanup
