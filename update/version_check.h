// The version check: which update scripts apply to the installed launcher
// and game.  One check connects the login socket, sends one version request
// (message 21), waits for the answers (message 34) while the user interface
// stays alive, maps them to one outcome and tells the user what went wrong
// in the string table's words.  Neutral: everything that touches windows,
// message boxes, the clock, the registry or the portal goes through
// CVersionCheckHost, which the update screen supplies (version_check_win)
// and the tests replace.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/cstring.h"
#include "net/check_ver_info.h"
#include "net/login_events.h"
#include "net/quorl_socket.h"
#include "net/version_update_info.h"
#include "res/resource.h"
#include "update/elapsed_timer.h"
#include "update/notice_text.h"

// Component ids of the version request and of the version table's scripts.
constexpr uint32_t kGameComponentId = 10000;
constexpr uint32_t kLauncherComponentId = 10100;

// Message-box styles and answers the check uses, with their Win32 values
// (neutral code cannot see <windows.h>; version_check_win checks them).
constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbYesNo = 0x4;
constexpr uint32_t kMbIconExclamation = 0x30;
constexpr int kIdYes = 6;

// Results of a check.
enum VersionCheckResult : int {
  kCheckDone = 1,    // answers complete and usable
  kCheckFailed = 2,  // failed; the user has been told (one message)
  kCheckGone = 3,    // the window is gone or the application quits (nothing shown)
};

// Connect state and server state of a check.
enum VersionCheckConnectState : int {
  kConnectPending = 1,
  kConnectFailed = 2,
  kConnectDone = 3,
};
enum VersionCheckServerState : int {
  kServerWaiting = 1,
  kServerAnswered = 2,
  kServerMaintenance = 3,
  kServerBusy = 4,
  kServerCheckError = 5,
  kServerNotInService = 6,
  kServerInvalid = 7,
};

// What a check needs from its surroundings.
class CVersionCheckHost {
 public:
  virtual ~CVersionCheckHost() = default;

  // String `id` formatted with the application's title (its one %s), in a
  // message box of that style; the button pressed.
  virtual int ShowMessage(uint32_t id, uint32_t style) = 0;
  // String `id` with `code` as its one %d (message 21004).
  virtual int ShowMessageWithCode(uint32_t id, uint32_t style, int code) = 0;
  // The server's notice, UTF-8, in a message box with MB_OK and no icon.
  virtual void ShowNotice(const char* utf8, size_t length) = 0;
  // One modal wait of at most `ms` that runs the idle work and handles
  // every message (CIdleMessageLoop::Run): 1 when WM_QUIT was seen.
  virtual int RunIdleLoop(uint32_t ms) = 0;
  // CIdleMessageLoop::Reset.
  virtual void ResetIdleLoop() = 0;
  // FALSE once the update screen's window is gone.
  virtual bool IsWindowAlive() = 0;
  // The millisecond tick of the response timer (GetTickCount).
  virtual uint32_t GetTickCount() = 0;
  // The idle network pump for the check's duration.
  virtual void StartNetworkPump() = 0;
  virtual void StopNetworkPump() = 0;
  // The installed game and launcher versions: false when they cannot be read.
  virtual bool ReadInstalledVersions(uint32_t* game, uint32_t* launcher) = 0;
  // The login server's address (ParseLoginServerAddress of the profile,
  // the region and the portal).
  virtual void GetLoginServerAddress(CString& host, uint16_t& port) = 0;
  // The region's service id.
  virtual uint32_t GetServiceId() = 0;
};

// How one version answer changes the version table, the server state and
// the notice (the answer classifier).  Answers for an entry that the table
// does not have, and unknown results, make the server state 7 (invalid).
void ClassifyVersionAnswer(const CVersionNotifyObj& answer, int result, CVersionUpdateInfoList& table,
                           CNoticeText& notice, int& serverState);
// The server state that the version table's answers give once no entry is
// still waiting (largest entry state 1-2 -> 2, 3 -> 3, 4 -> 4, 5 -> 6,
// 6 -> 7, 7 -> 5, else 7); `serverState` unchanged while one is.
void SettleServerState(const CVersionUpdateInfoList& table, int& serverState);

class CVersionCheck : private CLoginEvents {
 public:
  // The socket and the table are the program's globals in the launcher.
  CVersionCheck(CQuorlSocket& socket, CVersionUpdateInfoList& table, CVersionCheckHost& host);
  CVersionCheck(const CVersionCheck&) = delete;
  CVersionCheck& operator=(const CVersionCheck&) = delete;

  // One check.  version 0: the installed launcher and game versions are
  // asked about; otherwise the game at that version.  1, 2 or 3
  // (VersionCheckResult).  The socket is disconnected before it returns;
  // the table keeps the answers.
  int CheckVersion(uint32_t version);
  // Starts the response timer from 0 (each wait of the check does).
  void RestartResponseTimer();
  // FALSE when more than 120 s passed on the response timer and the user
  // did not choose to wait on (message 21003; Yes restarts the timer).
  bool CheckResponseTimeout();
  // Closes the connection and waits for the close: 1, or 0 when the user
  // gave up or the window went away (or the application quits).
  int DisconnectAndWait();

  const CNoticeText& GetNotice() const { return m_notice; }

 private:
  // CLoginEvents: the socket's reports during the check.
  void OnConnected() override;
  void OnConnectFailed(int code) override;
  void OnClosed(int code) override;
  void OnError(int first, intptr_t second) override;
  void OnVersion(const CVersionNotifyObj& answer, int result) override;

  // The connect and answer waits: polls, waits, and tests in the check's
  // order; -1 while waiting (or, in the answer wait, once every answer is
  // in), else the check's result.
  int WaitStep(uint32_t brokeMessage, uint32_t gaveUpMessage, bool answerWait);
  int Fail(uint32_t message);
  int Outcome();

  CQuorlSocket& m_socket;
  CVersionUpdateInfoList& m_table;
  CVersionCheckHost& m_host;
  CElapsedTimer m_timer;  // the response timer, on the host's tick
  CNoticeText m_notice;
  std::vector<CCheckVerInfo> m_rows;
  int m_nConnectState = 0;
  bool m_bError = false;
  int m_nServerState = 0;
  bool m_bGone = false;  // DisconnectAndWait saw the window go or a quit
};
