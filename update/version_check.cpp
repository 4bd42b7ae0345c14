#include "update/version_check.h"

#include "net/login_messages.h"

namespace {

constexpr uint32_t kResponseSeconds = 120;
constexpr uint32_t kWaitMs = 500;
constexpr int kPollsPerWait = 2;

}  // namespace

// ---- answers -------------------------------------------------------------------

void ClassifyVersionAnswer(const CVersionNotifyObj& answer, int result, CVersionUpdateInfoList& table,
                           CNoticeText& notice, int& serverState) {
  // Only final states 2 to 7 replace the server state.
  auto setServerState = [&serverState](int s) {
    if (s >= kServerAnswered && s <= kServerInvalid) serverState = s;
  };
  CVersionUpdateInfo* entry = table.Find(answer.m_nServiceCode, answer.m_nComponentId);
  if (entry == nullptr) {
    setServerState(kServerInvalid);
    return;
  }
  const uint8_t* data = answer.m_data.empty() ? nullptr : answer.m_data.data();
  const size_t size = answer.m_data.size();
  const int32_t count = answer.m_nChunkCount;
  const int32_t number = answer.m_nChunkNumber;
  switch (result) {
    case 1:
      if (number <= 0) {
        notice.Append(data, size, answer.m_nComponentId);
      } else {
        // Chunks must come in order and complete; anything else makes
        // the entry invalid (6), so that no partial script can run.
        entry->AddScriptChunk(count, number, data, size);
      }
      break;
    case 0:
    case 2:
    case 3:
      if (number > 0)
        entry->SetState(CVersionUpdateInfo::kNoUpdate);
      else
        notice.Append(data, size, answer.m_nComponentId);
      break;
    case -100:
      notice.Append(data, size, answer.m_nComponentId);
      if (number == count) entry->SetState(CVersionUpdateInfo::kMaintenance);
      break;
    case -98:
      notice.Append(data, size, answer.m_nComponentId);
      if (number == count) entry->SetState(CVersionUpdateInfo::kBusy);
      break;
    case -99:
      entry->SetState(CVersionUpdateInfo::kError);
      break;
    case -2:
      entry->SetState(CVersionUpdateInfo::kInvalid);
      break;
    case -1:
      setServerState(kServerNotInService);
      entry->SetState(CVersionUpdateInfo::kNotInService);
      break;
    default:
      setServerState(kServerInvalid);
      break;
  }
  SettleServerState(table, serverState);
}

void SettleServerState(const CVersionUpdateInfoList& table, int& serverState) {
  int32_t pending = 0;
  const int32_t largest = table.GetMaxState(pending);
  if (pending != 0) return;
  switch (largest) {
    case CVersionUpdateInfo::kNoUpdate:
    case CVersionUpdateInfo::kScriptReceived:
      serverState = kServerAnswered;
      break;
    case CVersionUpdateInfo::kMaintenance:
      serverState = kServerMaintenance;
      break;
    case CVersionUpdateInfo::kBusy:
      serverState = kServerBusy;
      break;
    // Not the identity: the entry's "not in service" (5), "invalid" (6) and
    // "error" (7) are the server's 6, 7 and 5.
    case CVersionUpdateInfo::kNotInService:
      serverState = kServerNotInService;
      break;
    case CVersionUpdateInfo::kInvalid:
      serverState = kServerInvalid;
      break;
    case CVersionUpdateInfo::kError:
      serverState = kServerCheckError;
      break;
    default:
      serverState = kServerInvalid;
      break;
  }
}

// ---- the check -----------------------------------------------------------------

CVersionCheck::CVersionCheck(CQuorlSocket& socket, CVersionUpdateInfoList& table, CVersionCheckHost& host)
    : m_socket(socket), m_table(table), m_host(host) {}

void CVersionCheck::OnConnected() { m_nConnectState = kConnectDone; }

void CVersionCheck::OnConnectFailed(int) { m_nConnectState = kConnectFailed; }

void CVersionCheck::OnClosed(int code) {
  if (code != 0) m_bError = true;
}

void CVersionCheck::OnError(int, intptr_t) { m_bError = true; }

void CVersionCheck::OnVersion(const CVersionNotifyObj& answer, int result) {
  ClassifyVersionAnswer(answer, result, m_table, m_notice, m_nServerState);
}

int CVersionCheck::Fail(uint32_t message) {
  m_host.ShowMessage(message, kMbIconExclamation);
  return kCheckFailed;
}

void CVersionCheck::RestartResponseTimer() {
  const uint32_t now = m_host.GetTickCount();
  m_timer.Reset(now);
  m_timer.Start(now);
}

bool CVersionCheck::CheckResponseTimeout() {
  if (m_timer.ElapsedSeconds(m_host.GetTickCount()) <= kResponseSeconds) return true;
  if (m_host.ShowMessage(IDS_CHECK_KEEP_WAITING, kMbYesNo | kMbIconExclamation) != kIdYes) return false;
  RestartResponseTimer();
  return true;
}

int CVersionCheck::WaitStep(uint32_t brokeMessage, uint32_t gaveUpMessage, bool answerWait) {
  // The socket has two drivers during a check, both on this thread and so
  // never at once: this poll before each wait of up to 500 ms, and the idle
  // network pump that the check starts, which polls again from the
  // application's idle handler once per 200 ms period while the idle loop
  // below waits.  The pump only shortens the time an answer sits unread
  // (from one wait to at most one period); every state the check acts on is
  // looked at here, after both.
  m_socket.Poll(kPollsPerWait);
  const int quit = m_host.RunIdleLoop(kWaitMs);
  // Every answer is in once the server state has moved on: a server that
  // closes or resets the connection right after its last answer has not
  // failed the check.  Tested before the broken connection for that reason;
  // a window that went away or a quit in this pass is still seen by the
  // disconnect wait that follows.
  if (answerWait && m_nServerState != kServerWaiting) return -1;
  if (m_bError || !m_socket.IsConnected()) return Fail(brokeMessage);
  if (!CheckResponseTimeout()) return Fail(gaveUpMessage);
  if (!m_host.IsWindowAlive() || quit != 0) return kCheckGone;
  return -1;
}

int CVersionCheck::DisconnectAndWait() {
  m_bGone = false;
  m_socket.Disconnect();
  RestartResponseTimer();
  for (;;) {
    m_socket.Poll(kPollsPerWait);
    const int quit = m_host.RunIdleLoop(kWaitMs);
    if (!CheckResponseTimeout()) return 0;
    if (!m_host.IsWindowAlive() || quit != 0) {
      m_bGone = true;
      return 0;
    }
    const int state = m_socket.GetState();
    if (state != CNteSocket::kConnecting && state != CNteSocket::kConnected) break;
  }
  m_socket.FreeContext();
  return 1;
}

int CVersionCheck::Outcome() {
  switch (m_nServerState) {
    case kServerAnswered:
      return kCheckDone;
    case kServerMaintenance:
    case kServerBusy:
      if (!m_notice.IsEmpty()) {
        m_host.ShowNotice(m_notice.GetText(), m_notice.GetLength());
        return kCheckFailed;
      }
      return Fail(m_nServerState == kServerMaintenance ? IDS_CHECK_MAINTENANCE : IDS_CHECK_BUSY);
    case kServerCheckError:
      return Fail(IDS_CHECK_ERROR);
    case kServerNotInService:
      return Fail(IDS_CHECK_NOT_IN_SERVICE);
    default:
      return Fail(IDS_CHECK_INVALID);
  }
}

int CVersionCheck::CheckVersion(uint32_t version) {
  // The rows of the request: the launcher and the game at their installed
  // versions, or the game at the version a step has reached.
  m_rows.clear();
  if (version == 0) {
    uint32_t game = 0;
    uint32_t launcher = 0;
    if (!m_host.ReadInstalledVersions(&game, &launcher)) return Fail(IDS_CHECK_NOT_INSTALLED);
    m_rows.push_back({kLauncherComponentId, launcher});
    m_rows.push_back({kGameComponentId, game});
  } else {
    m_rows.push_back({kGameComponentId, version});
  }
  // One entry per row in the version table.
  const uint32_t service = m_host.GetServiceId();
  if (!m_table.Build(service, m_rows)) return Fail(IDS_CHECK_TABLE_FAILED);
  // A notice of an earlier check is not shown again.
  m_notice.Clear();
  int result = -1;

  // A new connection per check.  The socket's events reach this check
  // (and only it) until it returns.
  CLoginEventsScope events(m_socket, *this);
  CString host;
  uint16_t port = 0;
  m_host.GetLoginServerAddress(host, port);
  m_host.StartNetworkPump();
  m_nConnectState = kConnectPending;
  m_bError = false;
  if (m_socket.Connect(host, port, CHalvaneOnlineGameBaseSocket::kModePlain) != 0) {
    m_host.ShowMessageWithCode(IDS_CHECK_CANNOT_CONNECT, kMbIconExclamation, NteGetLastRecordedError());
    result = kCheckFailed;
  }

  // Wait until the connect is reported.
  if (result == -1) {
    RestartResponseTimer();
    do {
      result = WaitStep(IDS_CHECK_BROKE_CONNECTING, IDS_CHECK_GAVE_UP_CONNECTING, false);
    } while (result == -1 && m_nConnectState == kConnectPending);
    if (result == -1 && m_nConnectState != kConnectDone) result = Fail(IDS_CHECK_BROKE_WAITING);
  }

  // The request.
  if (result == -1) {
    m_bError = false;
    m_nServerState = kServerWaiting;
    if (m_socket.SendVersionRequest(service, m_rows) != 1) result = Fail(IDS_CHECK_CANNOT_SEND);
  }

  // Wait until every component was answered.
  if (result == -1) {
    m_host.ResetIdleLoop();
    RestartResponseTimer();
    do {
      result = WaitStep(IDS_CHECK_BROKE_WAITING, IDS_CHECK_GAVE_UP_WAITING, true);
    } while (result == -1 && m_nServerState == kServerWaiting);
  }

  // Always closed again.  A window that went away (or a quit) while
  // the close was awaited ends the check silently, as in every other wait.
  if (DisconnectAndWait() == 0) {
    if (result == -1) result = m_bGone ? kCheckGone : kCheckFailed;
    // Nobody waits for the close any more, and without the pump nothing
    // would finish it: the connection goes now, so that none outlives
    // the check and the next check has the context's one slot.
    m_socket.FreeContext();
  }
  m_host.StopNetworkPump();

  // Nothing failed on the way: the server's answers decide.
  return result != -1 ? result : Outcome();
}
