#pragma once
// A fake systemd-logind (python-dbusmock's template, optionally with a
// desktop session manager) on private buses, run by logind_harness.py; it
// ends when this object closes the harness's stdin.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "os/processes.h"
#include "tests/support/sandbox.h"

std::string ShellQuote(const std::string& text);
std::string RunCapture(const std::string& command);
std::vector<std::string> Lines(const std::string& text);

class FakeLogind {
 public:
  FakeLogind(const std::filesystem::path& folder, const std::string& options) : m_folder(folder) {
    std::filesystem::create_directories(folder);
    // The build names the folder: __FILE__ may be relative to a build folder (compiler caches).
    std::filesystem::path harness = std::filesystem::path(DKWT_TEST_SUPPORT_DIR) / "logind_harness.py";
    std::string command = "exec /usr/bin/env PATH=/usr/bin:/bin /usr/bin/python3 " + ShellQuote(harness.string()) +
                          " " + ShellQuote(folder.string()) + " " + std::to_string(os::processes::CurrentId()) + " " +
                          options;
    m_pipe = popen(command.c_str(), "we");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (m_pipe && std::chrono::steady_clock::now() < deadline) {
      if (std::filesystem::exists(folder / "failed")) {
        m_problem = Sandbox::ReadFile(folder / "failed");
        return;
      }
      if (std::filesystem::exists(folder / "ready")) {
        m_logStart = std::stoul("0" + Sandbox::ReadFile(folder / "ready"));
        m_ready = true;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_problem = "the harness did not get ready";
  }
  ~FakeLogind() {
    if (m_pipe)
      pclose(m_pipe);
  }
  FakeLogind(const FakeLogind&) = delete;
  FakeLogind& operator=(const FakeLogind&) = delete;

  bool Ready() const { return m_ready; }
  const std::string& Problem() const { return m_problem; }
  std::string SystemAddress() const { return "unix:path=" + (m_folder / "system_bus").string(); }
  std::string SessionAddress() const { return "unix:path=" + (m_folder / "session_bus").string(); }

  // Methods called on logind since it got ready, as "<Method> <args>".
  std::vector<std::string> Calls() const {
    std::string log = Sandbox::ReadFile(m_folder / "logind.log");
    std::vector<std::string> calls;
    for (const std::string& line : Lines(log.size() > m_logStart ? log.substr(m_logStart) : ""))
      calls.push_back(line.substr(line.find(' ') + 1));  // drop the time stamp
    return calls;
  }
  std::vector<std::string> SessionManagerCalls() const {
    std::vector<std::string> calls;
    for (const std::string& line : Lines(Sandbox::ReadFile(m_folder / "session_manager.log")))
      calls.push_back(line.substr(line.find(' ') + 1));
    return calls;
  }

  // Calls a method of the fake on the system bus; returns gdbus's answer.
  std::string Call(const std::string& path, const std::string& method, const std::vector<std::string>& args = {}) const {
    std::string command = "/usr/bin/gdbus call --address " + ShellQuote(SystemAddress()) +
                          " --dest org.freedesktop.login1 --object-path " + ShellQuote(path) + " --method " +
                          ShellQuote(method);
    for (const std::string& arg : args)
      command += " " + ShellQuote(arg);
    return RunCapture(command + " 2>&1");
  }
  std::string CallManager(const std::string& method, const std::vector<std::string>& args = {}) const {
    return Call("/org/freedesktop/login1", method, args);
  }
  // Replaces a Manager method by one that refuses with the D-Bus error.
  void Refuse(const std::string& method, const std::string& signature, const std::string& errorName,
              const std::string& text) const {
    CallManager("org.freedesktop.DBus.Mock.AddMethod",
                {"", method, signature, "",
                 "raise dbus.exceptions.DBusException('" + text + "', name='" + errorName + "')"});
  }
  // Methods called on a session object.
  std::string SessionCalls(const std::string& id) const {
    return Call("/org/freedesktop/login1/session/" + id, "org.freedesktop.DBus.Mock.GetCalls");
  }

 private:
  std::filesystem::path m_folder;
  FILE* m_pipe = nullptr;
  bool m_ready = false;
  size_t m_logStart = 0;
  std::string m_problem;
};

