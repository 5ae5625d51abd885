// dialog-driver: drives a dialog program from outside, as an operator would, through the
// system's window calls only. It reads a script on standard input, one command a line, carries
// them out in order and says "ok" or "not ok" for each; the first failure ends the run (exit 1).
// Every wait polls its condition against a limit (30 s, or CODEPANEL_DRIVER_TIMEOUT_MS), never a
// fixed pause, so a busy machine only makes a run slower.
//
// Windows are found by what they hold: the panel is the top-level dialog that holds a given
// control; a box or the keyboard is a dialog owned by another named window. Control texts are
// read with WM_GETTEXT through SendMessageTimeout, buttons are pressed with a posted BM_CLICK (a
// sent one would not return until the box it opens is closed), list lines come from
// LB_GETCOUNT/LB_GETTEXT/LB_GETTOPINDEX, the focus from GetGUIThreadInfo, colours from the
// screen. Texts in the script are UTF-8, and "\n" stands for a line break.
//
// Commands (NAME names a window found before; ID is a control id; TEXT is quoted when it holds
// blanks):
//   dialog NAME ID               a visible top-level dialog holding control ID
//   owned NAME OWNER ID          a visible dialog owned by OWNER holding control ID
//   box NAME OWNER               a visible message box owned by OWNER
//   no-box OWNER                 OWNER owns no visible message box (after the other waits)
//   box-text NAME TEXT           the box's message is TEXT
//   caption NAME TEXT            the window's own caption is TEXT
//   text NAME ID TEXT            control ID shows TEXT (waits for it)
//   click NAME ID                presses button ID (posted BM_CLICK)
//   touch NAME ID                a left click in the middle of control ID (WM_LBUTTONDOWN/UP)
//   chars NAME ID TEXT           WM_CHAR for each character of TEXT, to control ID (0: the window)
//   key NAME ID VK               WM_KEYDOWN and WM_KEYUP of virtual key VK (decimal)
//   enabled NAME ID yes|no       control ID becomes enabled / disabled
//   checked NAME ID yes|no       check box ID becomes checked / unchecked
//   lines NAME ID N              list box ID holds N lines
//   line NAME ID I TEXT          line I (from 0) of list box ID is TEXT
//   top NAME ID I                list box ID shows line I at the top
//   focus NAME ID                the focus is on control ID of NAME (0: on NAME itself)
//   focus-not-on NAME ID         the focus is anywhere but control ID
//   layout NAME TEMPLATE         every control of NAME against template 102 or 129, in dialog
//                                units converted by a hidden copy of the template in this process
//   pixel NAME ID X Y RRGGBB     the screen shows colour RRGGBB at X,Y of control ID's client
//   colour-in NAME ID RRGGBB     some pixel of control ID's client area has colour RRGGBB
//   gone NAME                    the window has been destroyed
//   mark                         starts a stopwatch (for benchmarks)
//   elapsed                      prints "elapsed: MS" since the mark
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "platform/dialog/win32_dialog_template.h"

namespace {

DWORD g_timeoutMs = 30000;
std::map<std::string, HWND> g_windows;

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty())
    return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty())
    return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

// Splits a command line into words; "..." keeps blanks, \" \\ and \n inside it.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
      continue;
    }
    std::string word;
    if (line[i] == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
          ++i;
          word += line[i] == 'n' ? '\n' : line[i];
        } else {
          word += line[i];
        }
      }
      ++i;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t')
        word += line[i++];
    }
    words.push_back(word);
  }
  return words;
}

// Polls `ready` until it holds or the limit passes; `why` says what was last seen.
template <typename Condition>
bool WaitFor(Condition ready) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (ready())
      return true;
    if (GetTickCount() - start > g_timeoutMs)
      return false;
    Sleep(20);
  }
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

bool IsDialog(HWND window) {
  return ClassOf(window) == L"#32770";
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
    return L"(no answer)";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

struct Search {
  HWND owner;  // nullptr: not owned
  int controlId;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<Search*>(param);
  if (!IsWindowVisible(window) || !IsDialog(window))
    return TRUE;
  if (GetWindow(window, GW_OWNER) != search.owner)
    return TRUE;
  if (!GetDlgItem(window, search.controlId))
    return TRUE;
  search.found = window;
  return FALSE;
}

HWND FindDialog(HWND owner, int controlId) {
  Search search{owner, controlId, nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A message box: a dialog whose message is the static 0xFFFF, as both Windows and wine build it.
constexpr int kBoxMessageId = 0xFFFF;

// A client rectangle of a control in screen coordinates.
RECT ScreenClientRect(HWND control) {
  RECT rect;
  GetClientRect(control, &rect);
  MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

COLORREF ParseColour(const std::string& hex) {
  const unsigned long rgb = std::strtoul(hex.c_str(), nullptr, 16);
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

class Driver {
 public:
  // Carries out one command; false with m_why set on failure.
  bool Run(const std::vector<std::string>& w) {
    m_why.clear();
    const std::string& op = w[0];
    const auto need = [&](std::size_t count) {
      if (w.size() == count)
        return true;
      m_why = "expects " + std::to_string(count - 1) + " arguments";
      return false;
    };
    if (op == "dialog")
      return need(3) && Find(w[1], nullptr, Id(w[2]));
    if (op == "owned")
      return need(4) && Window(w[2]) && Find(w[1], Window(w[2]), Id(w[3]));
    if (op == "box")
      return need(3) && Window(w[2]) && Find(w[1], Window(w[2]), kBoxMessageId);
    if (op == "no-box")
      return need(2) && NoBox(w[1]);
    if (op == "box-text")
      return need(3) && Window(w[1]) && TextIs(GetDlgItem(Window(w[1]), kBoxMessageId), w[2]);
    if (op == "caption")
      return need(3) && Window(w[1]) && TextIs(Window(w[1]), w[2]);
    if (op == "text")
      return need(4) && Control(w[1], w[2]) && TextIs(Control(w[1], w[2]), w[3]);
    if (op == "click")
      return need(3) && Control(w[1], w[2]) && PostMessageW(Control(w[1], w[2]), BM_CLICK, 0, 0);
    if (op == "touch")
      return need(3) && Touch(w[1], w[2]);
    if (op == "chars")
      return need(4) && Chars(w[1], w[2], w[3]);
    if (op == "key")
      return need(4) && Key(w[1], w[2], std::atoi(w[3].c_str()));
    if (op == "enabled")
      return need(4) && Control(w[1], w[2]) && Enabled(Control(w[1], w[2]), w[3] == "yes");
    if (op == "checked")
      return need(4) && Control(w[1], w[2]) && Checked(Control(w[1], w[2]), w[3] == "yes");
    if (op == "lines")
      return need(4) && Control(w[1], w[2]) && Lines(Control(w[1], w[2]), std::atoi(w[3].c_str()));
    if (op == "line")
      return need(5) && Control(w[1], w[2]) &&
             Line(Control(w[1], w[2]), std::atoi(w[3].c_str()), w[4]);
    if (op == "top")
      return need(4) && Control(w[1], w[2]) && Top(Control(w[1], w[2]), std::atoi(w[3].c_str()));
    if (op == "focus")
      return need(3) && Window(w[1]) && Focus(w[1], Id(w[2]), true);
    if (op == "focus-not-on")
      return need(3) && Window(w[1]) && Focus(w[1], Id(w[2]), false);
    if (op == "layout")
      return need(3) && Window(w[1]) && Layout(Window(w[1]), Id(w[2]));
    if (op == "pixel")
      return need(6) && Control(w[1], w[2]) &&
             Pixel(Control(w[1], w[2]), std::atoi(w[3].c_str()), std::atoi(w[4].c_str()),
                   ParseColour(w[5]));
    if (op == "colour-in")
      return need(4) && Control(w[1], w[2]) && ColourIn(Control(w[1], w[2]), ParseColour(w[3]));
    if (op == "gone")
      return need(2) && Gone(w[1]);
    if (op == "mark") {
      m_mark = GetTickCount64();
      return true;
    }
    if (op == "elapsed") {
      std::printf("elapsed: %llu\n", static_cast<unsigned long long>(GetTickCount64() - m_mark));
      return true;
    }
    m_why = "unknown command";
    return false;
  }
  const std::string& Why() const { return m_why; }

 private:
  static int Id(const std::string& word) { return std::atoi(word.c_str()); }

  HWND Window(const std::string& name) {
    const auto it = g_windows.find(name);
    if (it == g_windows.end()) {
      m_why = "no window named " + name;
      return nullptr;
    }
    return it->second;
  }

  HWND Control(const std::string& name, const std::string& id) {
    HWND window = Window(name);
    if (!window)
      return nullptr;
    if (Id(id) == 0)
      return window;
    HWND control = GetDlgItem(window, Id(id));
    if (!control)
      m_why = name + " has no control " + id;
    return control;
  }

  bool Find(const std::string& name, HWND owner, int controlId) {
    HWND found = nullptr;
    if (!WaitFor([&] { return (found = FindDialog(owner, controlId)) != nullptr; })) {
      m_why = "no such window appeared";
      return false;
    }
    g_windows[name] = found;
    return true;
  }

  bool NoBox(const std::string& owner) {
    HWND window = Window(owner);
    if (!window)
      return false;
    if (FindDialog(window, kBoxMessageId)) {
      m_why = "a box is open: \"" +
              Narrow(TextOf(GetDlgItem(FindDialog(window, kBoxMessageId), kBoxMessageId))) + "\"";
      return false;
    }
    return true;
  }

  bool TextIs(HWND window, const std::string& expected) {
    if (!window) {
      m_why = "no such control";
      return false;
    }
    const std::wstring want = Wide(expected);
    std::wstring seen;
    if (WaitFor([&] { return (seen = TextOf(window)) == want; }))
      return true;
    m_why = "shows \"" + Narrow(seen) + "\"";
    return false;
  }

  bool Touch(const std::string& name, const std::string& id) {
    HWND control = Control(name, id);
    if (!control)
      return false;
    RECT rect;
    GetClientRect(control, &rect);
    const LPARAM where = MAKELPARAM(rect.right / 2, rect.bottom / 2);
    return PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, where) &&
           PostMessageW(control, WM_LBUTTONUP, 0, where);
  }

  bool Chars(const std::string& name, const std::string& id, const std::string& text) {
    HWND control = Control(name, id);
    if (!control)
      return false;
    for (const wchar_t ch : Wide(text)) {
      if (!PostMessageW(control, WM_CHAR, ch, 1)) {
        m_why = "WM_CHAR not posted";
        return false;
      }
    }
    return true;
  }

  bool Key(const std::string& name, const std::string& id, int vk) {
    HWND control = Control(name, id);
    if (!control)
      return false;
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC);
    return PostMessageW(control, WM_KEYDOWN, static_cast<WPARAM>(vk), 1 | scan << 16) &&
           PostMessageW(control, WM_KEYUP, static_cast<WPARAM>(vk), 1 | scan << 16 | 0xC0000000u);
  }

  bool Enabled(HWND control, bool want) {
    if (WaitFor([&] { return (IsWindowEnabled(control) != FALSE) == want; }))
      return true;
    m_why = want ? "stays disabled" : "stays enabled";
    return false;
  }

  bool Checked(HWND control, bool want) {
    DWORD_PTR state = 0;
    if (WaitFor([&] {
          SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
          return (state == BST_CHECKED) == want;
        }))
      return true;
    m_why = "check state " + std::to_string(state);
    return false;
  }

  bool Lines(HWND list, int want) {
    DWORD_PTR count = 0;
    if (WaitFor([&] {
          SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
          return static_cast<int>(count) == want;
        }))
      return true;
    m_why = "holds " + std::to_string(count) + " lines";
    return false;
  }

  bool Line(HWND list, int index, const std::string& expected) {
    std::wstring seen;
    const std::wstring want = Wide(expected);
    if (WaitFor([&] {
          DWORD_PTR length = 0;
          SendMessageTimeoutW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG,
                              5000, &length);
          if (static_cast<LONG_PTR>(length) == LB_ERR)
            return false;
          seen.assign(length + 1, L'\0');
          DWORD_PTR copied = 0;
          SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                              reinterpret_cast<LPARAM>(seen.data()), SMTO_ABORTIFHUNG, 5000,
                              &copied);
          seen.resize(copied);
          return seen == want;
        }))
      return true;
    m_why = "line " + std::to_string(index) + " is \"" + Narrow(seen) + "\"";
    return false;
  }

  bool Top(HWND list, int want) {
    DWORD_PTR top = 0;
    if (WaitFor([&] {
          SendMessageTimeoutW(list, LB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, 5000, &top);
          return static_cast<int>(top) == want;
        }))
      return true;
    m_why = "line " + std::to_string(top) + " at the top";
    return false;
  }

  bool Focus(const std::string& name, int id, bool on) {
    HWND window = Window(name);
    HWND target = id == 0 ? window : GetDlgItem(window, id);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (WaitFor([&] {
          if (!GetGUIThreadInfo(thread, &info))
            return false;
          return (info.hwndFocus == target) == on;
        }))
      return true;
    const int focusId = info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0;
    m_why = "the focus is on " +
            (info.hwndFocus ? Narrow(ClassOf(info.hwndFocus)) + " " + std::to_string(focusId)
                            : std::string("nothing"));
    return false;
  }

  // The template in this process, hidden, converts dialog units with the same font as the
  // driven program's: MapDialogRect answers only for a dialog of one's own.
  bool Layout(HWND dialog, int templateId) {
    const res::DialogTemplate* source = res::FindDialogTemplate(templateId);
    if (!source) {
      m_why = "no template " + std::to_string(templateId);
      return false;
    }
    res::DialogTemplate hidden = *source;
    hidden.style &= ~res::kDialogVisible;
    const std::vector<std::uint32_t> bytes = platform::win32::BuildWin32DialogTemplate(hidden);
    HWND copy = CreateDialogIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
        [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR { return message == WM_INITDIALOG; }, 0);
    if (!copy) {
      m_why = "cannot create the template here";
      return false;
    }
    bool same = true;
    RECT client;
    GetClientRect(dialog, &client);
    RECT size = {0, 0, source->width, source->height};
    MapDialogRect(copy, &size);
    if (client.right != size.right || client.bottom != size.bottom) {
      m_why = "dialog is " + std::to_string(client.right) + "x" + std::to_string(client.bottom) +
              ", template " + std::to_string(size.right) + "x" + std::to_string(size.bottom);
      same = false;
    }
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const res::ControlTemplate& control : source->controls) {
      if (!same)
        break;
      if (!child) {
        m_why = "fewer controls than the template";
        same = false;
        break;
      }
      RECT want = {control.x, control.y, control.width, control.height};
      MapDialogRect(copy, &want);
      RECT have;
      GetWindowRect(child, &have);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&have), 2);
      if (GetDlgCtrlID(child) != control.id || have.left != want.left || have.top != want.top ||
          have.right - have.left != want.right || have.bottom - have.top != want.bottom) {
        m_why =
            "control " + std::to_string(GetDlgCtrlID(child)) + " at " + std::to_string(have.left) +
            "," + std::to_string(have.top) + " " + std::to_string(have.right - have.left) + "x" +
            std::to_string(have.bottom - have.top) + ", template's " + std::to_string(control.id) +
            " at " + std::to_string(want.left) + "," + std::to_string(want.top) + " " +
            std::to_string(want.right) + "x" + std::to_string(want.bottom);
        same = false;
      }
      child = GetWindow(child, GW_HWNDNEXT);
    }
    if (same && child) {
      m_why = "more controls than the template";
      same = false;
    }
    DestroyWindow(copy);
    return same;
  }

  bool Pixel(HWND control, int x, int y, COLORREF want) {
    const RECT rect = ScreenClientRect(control);
    COLORREF seen = CLR_INVALID;
    if (WaitFor([&] {
          HDC screen = GetDC(nullptr);
          seen = GetPixel(screen, rect.left + x, rect.top + y);
          ReleaseDC(nullptr, screen);
          return seen == want;
        }))
      return true;
    char text[32];
    std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(seen), GetGValue(seen),
                  GetBValue(seen));
    m_why = std::string("the screen shows ") + text;
    return false;
  }

  // Reads the control back from the screen at once (BitBlt) and looks for the colour.
  bool ColourIn(HWND control, COLORREF want) {
    if (WaitFor([&] {
          const RECT rect = ScreenClientRect(control);
          const int width = rect.right - rect.left;
          const int height = rect.bottom - rect.top;
          HDC screen = GetDC(nullptr);
          HDC memory = CreateCompatibleDC(screen);
          HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
          HGDIOBJ old = SelectObject(memory, bitmap);
          BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
          bool found = false;
          for (int y = 0; y < height && !found; ++y) {
            for (int x = 0; x < width && !found; ++x)
              found = GetPixel(memory, x, y) == want;
          }
          SelectObject(memory, old);
          DeleteObject(bitmap);
          DeleteDC(memory);
          ReleaseDC(nullptr, screen);
          return found;
        }))
      return true;
    m_why = "the colour is nowhere in the control";
    return false;
  }

  bool Gone(const std::string& name) {
    HWND window = Window(name);
    if (!window)
      return false;
    if (WaitFor([&] { return !IsWindow(window); }))
      return true;
    m_why = "still there";
    return false;
  }

  std::string m_why;
  ULONGLONG m_mark = 0;
};

}  // namespace

int main() {
  if (const char* limit = std::getenv("CODEPANEL_DRIVER_TIMEOUT_MS"))
    g_timeoutMs = static_cast<DWORD>(std::strtoul(limit, nullptr, 10));
  Driver driver;
  std::string line;
  int number = 0;
  while (std::getline(std::cin, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    const std::vector<std::string> words = Words(line);
    if (words.empty() || words[0][0] == '#')
      continue;
    if (!driver.Run(words)) {
      std::printf("not ok - line %d: %s: %s\n", number, line.c_str(), driver.Why().c_str());
      std::fflush(stdout);
      return 1;
    }
    std::printf("ok - %s\n", line.c_str());
    std::fflush(stdout);
  }
  return 0;
}
