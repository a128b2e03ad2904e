// Monitors of a Wayland compositor: its outputs, switched through KWin's DPMS
// protocol or the wlroots output-power protocol, whichever it offers.
#include <cerrno>
#include <memory>

#include "dpms-client.h"
#include "os/linux/display_internal.h"
#include "os/linux/wayland_client.h"
#include "wlr-output-power-management-unstable-v1-client.h"

namespace os::display::internal {

namespace {

using wayland::Client;

struct OutputPower {
  void* proxy = nullptr;
  PowerState state = PowerState::Unknown;
  bool usable = true;   // false once the compositor says it cannot switch this output
  bool answered = false;
};

// KWin: a dpms object per output announces "supported", the mode, then "done".
void OnKdeSupported(void* data, org_kde_kwin_dpms*, std::uint32_t supported) {
  static_cast<OutputPower*>(data)->usable = supported != 0;
}
void OnKdeMode(void* data, org_kde_kwin_dpms*, std::uint32_t mode) {
  static_cast<OutputPower*>(data)->state = StateFromDpms(true, static_cast<int>(mode));
}
void OnKdeDone(void* data, org_kde_kwin_dpms*) { static_cast<OutputPower*>(data)->answered = true; }
const org_kde_kwin_dpms_listener kKdeListener = {OnKdeSupported, OnKdeMode, OnKdeDone};

// wlroots: the mode on creation and on every change, or "failed".
void OnWlrMode(void* data, zwlr_output_power_v1*, std::uint32_t mode) {
  auto* power = static_cast<OutputPower*>(data);
  power->state = mode == ZWLR_OUTPUT_POWER_V1_MODE_ON ? PowerState::On : PowerState::Off;
  power->answered = true;
}
void OnWlrFailed(void* data, zwlr_output_power_v1*) {
  auto* power = static_cast<OutputPower*>(data);
  power->usable = false;
  power->answered = true;
}
const zwlr_output_power_v1_listener kWlrListener = {OnWlrMode, OnWlrFailed};

enum class Protocol { None, KdeDpms, Wlr };

// The power objects of every output, in the compositor's output order.
class OutputPowers {
 public:
  explicit OutputPowers(Client& client) : m_client(client) {
    auto& outputs = client.Outputs();
    m_powers.resize(outputs.size());
    if (const auto* global = client.Find(org_kde_kwin_dpms_manager_interface.name)) {
      m_protocol = Protocol::KdeDpms;
      m_kdeManager =
          static_cast<org_kde_kwin_dpms_manager*>(client.Bind(*global, &org_kde_kwin_dpms_manager_interface, 1));
      for (std::size_t i = 0; i < outputs.size(); ++i) {
        auto* dpms = org_kde_kwin_dpms_manager_get(m_kdeManager, outputs[i].proxy);
        org_kde_kwin_dpms_add_listener(dpms, &kKdeListener, &m_powers[i]);
        m_powers[i].proxy = dpms;
      }
    } else if (const auto* wlr = client.Find(zwlr_output_power_manager_v1_interface.name)) {
      m_protocol = Protocol::Wlr;
      m_wlrManager =
          static_cast<zwlr_output_power_manager_v1*>(client.Bind(*wlr, &zwlr_output_power_manager_v1_interface, 1));
      for (std::size_t i = 0; i < outputs.size(); ++i) {
        auto* power = zwlr_output_power_manager_v1_get_output_power(m_wlrManager, outputs[i].proxy);
        zwlr_output_power_v1_add_listener(power, &kWlrListener, &m_powers[i]);
        m_powers[i].proxy = power;
      }
    }
    if (m_protocol != Protocol::None)
      m_answered = client.WaitFor([this] { return AllAnswered(); }, wayland::kAnswerLimit);
  }

  ~OutputPowers() {
    for (OutputPower& power : m_powers) {
      if (m_protocol == Protocol::KdeDpms)
        org_kde_kwin_dpms_release(static_cast<org_kde_kwin_dpms*>(power.proxy));
      else if (m_protocol == Protocol::Wlr)
        zwlr_output_power_v1_destroy(static_cast<zwlr_output_power_v1*>(power.proxy));
    }
    if (m_kdeManager)
      org_kde_kwin_dpms_manager_destroy(m_kdeManager);  // the protocol has no destructor request
    if (m_wlrManager)
      zwlr_output_power_manager_v1_destroy(m_wlrManager);
  }
  OutputPowers(const OutputPowers&) = delete;
  OutputPowers& operator=(const OutputPowers&) = delete;

  Protocol Offered() const { return m_protocol; }
  bool Answered() const { return m_answered; }
  const std::vector<OutputPower>& Powers() const { return m_powers; }
  bool AnyUsable() const {
    for (const OutputPower& power : m_powers)
      if (power.usable)
        return true;
    return false;
  }

  // Asks for the mode on every output that can be switched and waits until
  // the compositor reports it: a request it quietly ignores is no success.
  bool Switch(bool on, int& code) {
    const PowerState wanted = on ? PowerState::On : PowerState::Off;
    for (OutputPower& power : m_powers) {
      if (!power.usable)
        continue;
      if (m_protocol == Protocol::KdeDpms)
        org_kde_kwin_dpms_set(static_cast<org_kde_kwin_dpms*>(power.proxy), on ? 0 : 3);
      else
        zwlr_output_power_v1_set_mode(static_cast<zwlr_output_power_v1*>(power.proxy),
                                      on ? ZWLR_OUTPUT_POWER_V1_MODE_ON : ZWLR_OUTPUT_POWER_V1_MODE_OFF);
    }
    auto reached = [&] {
      for (const OutputPower& power : m_powers)
        if (power.usable && power.state != wanted)
          return false;
      return true;
    };
    if (!m_client.WaitFor(reached, wayland::kAnswerLimit)) {
      code = m_client.ErrorCode();
      return false;
    }
    if (!AnyUsable()) {  // every output failed on the way
      code = ENOTSUP;
      return false;
    }
    return true;
  }

 private:
  bool AllAnswered() const {
    for (const OutputPower& power : m_powers)
      if (!power.answered)
        return false;
    return true;
  }

  Client& m_client;
  Protocol m_protocol = Protocol::None;
  org_kde_kwin_dpms_manager* m_kdeManager = nullptr;
  zwlr_output_power_manager_v1* m_wlrManager = nullptr;
  std::vector<OutputPower> m_powers;
  bool m_answered = false;
};

}  // namespace

std::vector<std::string> WaylandOutputDescriptions() {
  Client client;
  std::vector<std::string> names;
  for (const auto& output : client.Outputs())
    names.push_back(wayland::DescribeOutput(output));
  return names;
}

// A reachable compositor settles the question: when it offers no way, the X
// server beside it is XWayland, whose screen saver would blank nothing.
Route WaylandSetPower(bool on, int& code) {
  Client client;
  if (!client.Connected())
    return Route::NotHere;
  OutputPowers powers(client);
  if (powers.Offered() == Protocol::None || (powers.Answered() && !powers.AnyUsable())) {
    code = ENOTSUP;
    return Route::Failed;
  }
  if (!powers.Answered()) {
    code = client.ErrorCode();
    return Route::Failed;
  }
  return powers.Switch(on, code) ? Route::Done : Route::Failed;
}

Route WaylandList(std::vector<MonitorInfo>& monitors, int& code) {
  Client client;
  if (!client.Connected())
    return Route::NotHere;
  if (client.Outputs().empty())
    return Route::NotHere;  // the kernel's connectors are the next best answer
  OutputPowers powers(client);
  for (std::size_t i = 0; i < client.Outputs().size(); ++i) {
    PowerState state = PowerState::Unknown;
    if (powers.Answered() && powers.Powers()[i].usable)
      state = powers.Powers()[i].state;
    monitors.push_back({wayland::DescribeOutput(client.Outputs()[i]), state});
  }
  code = 0;
  return Route::Done;
}

Route WaylandSupported(int& code) {
  Client client;
  if (!client.Connected())
    return Route::NotHere;
  OutputPowers powers(client);
  code = 0;
  return powers.Offered() != Protocol::None && powers.Answered() && powers.AnyUsable() ? Route::Done : Route::Failed;
}

}  // namespace os::display::internal
