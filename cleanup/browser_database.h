#pragma once
// A browser's SQLite database edited in place. Only existing files are
// opened (never created), a running browser gets about two seconds to let
// go, deleted rows are overwritten in the file, and a WAL database is
// checkpointed before it is closed so nothing deleted stays in its -wal.
#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

namespace cleanup {

// Told the rows a statement would delete, instead of deleting them.
class RowCounter {
 public:
  virtual ~RowCounter() = default;
  virtual void Rows(const std::string& database, const std::string& table, std::uint64_t count) = 0;
};

class BrowserDatabase {
 public:
  BrowserDatabase() = default;
  // With a counter nothing is changed: the file is opened read-only, each
  // DELETE is counted with SELECT count(*) instead, UPDATEs (which delete
  // nothing) are skipped, and the transaction is only a read snapshot.
  explicit BrowserDatabase(RowCounter* counter) : m_counter(counter) {}
  ~BrowserDatabase();
  BrowserDatabase(const BrowserDatabase&) = delete;
  BrowserDatabase& operator=(const BrowserDatabase&) = delete;

  // False when the file is missing, is no database, or stays locked.
  bool Open(const std::string& path);
  bool IsOpen() const { return m_db != nullptr; }
  bool Counting() const { return m_counter != nullptr; }
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
  bool Count(const std::string& sql, std::string* error);
  std::string Uri(const std::string& path) const;

  RowCounter* m_counter = nullptr;
  std::string m_path;
  std::vector<std::pair<std::string, std::string>> m_attached;  // schema, path
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
