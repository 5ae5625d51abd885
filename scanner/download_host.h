// What the code download procedure needs of the window that hosts it: the code field texts, modal
// message boxes, a periodic tick, the six controls a download disables, the focus and the log. The
// panel, the command-line loader and the tests are its three hosts.
#pragma once

#include <cstdint>
#include <string>

enum class CodeKind : std::int32_t { Carton = 0, Leaflet = 1 };

// The six controls that a running download disables, by their dialog ids.
enum class ControlId : int {
  CartonCode = 1003,
  LeafletCode = 1004,
  SendCarton = 1000,
  SendLeaflet = 1001,
  Exit = 1010,
  PowerOff = 1011,
};

enum class BoxIcon { Error, Information, Question };
// YesNo boxes have No as the default button, OkCancel boxes Cancel.
enum class BoxButtons { Ok, YesNo, OkCancel };
enum class BoxResult { Ok, Yes, No, Cancel };

class DownloadHost {
 public:
  virtual ~DownloadHost() = default;

  // The code field's text as it stands: Windows-1252 bytes.
  virtual std::string CodeFieldText(CodeKind kind) = 0;
  // A modal message box owned by the host, captioned with the application's title. The text is
  // Windows-1252 and may hold a line break. Ticks keep arriving while it is open.
  virtual BoxResult MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) = 0;
  // Starts the periodic tick; the result identifies the timer, 0 when it cannot be started.
  virtual std::uint32_t StartTimer(std::uint32_t id, std::uint32_t periodMs) = 0;
  virtual void StopTimer(std::uint32_t timerId) = 0;
  virtual void EnableControl(ControlId control, bool enable) = 0;
  virtual void SetFocus(ControlId control) = 0;
  // The communication log: every line removed, or one line appended and brought into view.
  virtual void ClearLog() = 0;
  virtual void AppendLog(const std::string& line) = 0;
};
