#pragma once
// The checks the options pages run before they hand their values over, in
// the order the pages run them, each naming the field the focus goes to,
// and what the meter window decides from a page's new values.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/notification_rule.h"
#include "settings/options.h"

namespace qm {

template <class Field>
struct Refusal {
  Field field;
  std::string message;
};

// ---- General page -------------------------------------------------------------

enum class GeneralField { Transparency, Margins, Graph };

struct GeneralPageInput {
  bool layeredWindows = true;
  int transparencyIndex = -1;  // the selected item; -1 for none
  std::string margins;         // as typed
  bool graph = true;
  bool text = true;
};

// The first failing check; on success `margins` holds the number typed.
std::optional<Refusal<GeneralField>> CheckGeneralPage(const GeneralPageInput& in, int32_t& margins);

enum class HotkeyChange { None, Register, Unregister, Reregister };
// `registered`: the hot key of `wasLetter` is held now (an option that is on
// but whose letter another program held counts as not registered).
HotkeyChange HotkeyChangeFor(bool registered, uint32_t wasLetter, bool on, uint32_t letter);

// A new week or month start restarts the usage count of a rule that is on
// and counts in that period.
bool CalendarChangeRestartsRule(bool notificationOn, const NotificationRule& rule, const Options& before,
                                const Options& after);

// ---- Graph & Text page ----------------------------------------------------------

enum class GraphTextField { HeightPercent, ColumnWidth, TimeGridInterval, ColumnSpace };

struct GraphTextPageInput {
  std::string heightPercent;
  std::string columnWidth;
  std::string columnSpace;
  std::string timeGridInterval;
};

struct GraphTextNumbers {
  int32_t heightPercent = 0;
  int32_t columnWidth = 0;
  int32_t columnSpace = 0;
  int32_t timeGridInterval = 0;
};

std::optional<Refusal<GraphTextField>> CheckGraphTextPage(const GraphTextPageInput& in, GraphTextNumbers& out);

// "D&efault" of the colours and of the fonts: the page's values only.
void SetDefaultColours(Options& o);
void SetDefaultFonts(Options& o);

// ---- Adapters page --------------------------------------------------------------

// The page's copy of one adapter record.
struct AdapterRow {
  int32_t kind = 0;
  std::string id;
  std::string displayName;
  std::string systemName;  // as the system reports it now; empty when unknown
  std::string ipAddress;
  uint32_t connectionSpeed = 0;
  bool monitored = false;
};

enum class AdaptersField { TrayAdapter, AdapterList };

struct AdaptersPageInput {
  bool trayIcon = true;
  int trayAdapterIndex = -1;      // into the rows; -1 for none
  std::vector<bool> checked;      // each row's check box, row order
};

// On success every row's `monitored` is its check box and the tray
// adapter's kind and ID are in `trayKind` and `trayId`.
std::optional<Refusal<AdaptersField>> CheckAdaptersPage(const AdaptersPageInput& in, std::vector<AdapterRow>& rows,
                                                        int32_t& trayKind, std::string& trayId);

// The row of the tray adapter: kind alone for the pseudo adapters.
int TrayAdapterIndex(const std::vector<AdapterRow>& rows, int32_t kind, const std::string& id);

// "&Reset": every name back to what the system reports, where it reports one.
void ResetAdapterNames(std::vector<AdapterRow>& rows);

// Rows whose monitoring changed, by index: those to show first, then those
// to hide, each in list order, so that a view is never hidden before the
// new one stands.
struct MonitoredChanges {
  std::vector<size_t> shown;
  std::vector<size_t> hidden;
};
MonitoredChanges MonitoredChangesBetween(const std::vector<bool>& before, const std::vector<AdapterRow>& after);

}  // namespace qm
