// The update screen: its controls and texts, the progress display fed by
// the download session's reports, the busy dots and the Cancel question.
// Downloads themselves are in update_download.cpp.
#include "update/update_view.h"

#include "update/update_sequence_win.h"

#include "framework/app_util.h"
#include "framework/text_format.h"
#include "framework/tickdiff.h"
#include "res/resource.h"
#include "update/client_start.h"
#include "update/download_outcome.h"
#include "update/update_clock.h"
#include "update/update_progress.h"

namespace {

// The controls that show details, in the order they are switched.
constexpr int kDetailControls[] = {
    IDC_UPDATE_LATEST,        IDC_UPDATE_CURRENT,        IDC_UPDATE_NEXT,  IDC_UPDATE_ARROW,    IDC_UPDATE_LATEST_LABEL,
    IDC_UPDATE_CURRENT_LABEL, IDC_UPDATE_PROGRESS_LABEL, IDC_UPDATE_BYTES, IDC_UPDATE_PROGRESS, IDC_UPDATE_REMAINING};
// The ones emptied when the details are hidden.
constexpr int kEmptiedControls[] = {IDC_UPDATE_LATEST, IDC_UPDATE_CURRENT, IDC_UPDATE_NEXT, IDC_UPDATE_BYTES,
                                    IDC_UPDATE_REMAINING};

// The versions' font, shared by every update screen of the run and made
// the first time one is shown.
CFont& VersionFont() {
  static CFont s_font;
  return s_font;
}

}  // namespace

IMPLEMENT_DYNCREATE(CQuorlLauncherUpdateView, CFormView)

BEGIN_MESSAGE_MAP(CQuorlLauncherUpdateView, CFormView)
ON_WM_DESTROY()
ON_WM_TIMER()
ON_BN_CLICKED(IDC_UPDATE_CANCEL, OnCancel)
ON_MESSAGE(kStartUpdateMessage, OnStartUpdate)
ON_MESSAGE(WM_APP_DOWNLOAD_PROGRESS, OnDownloadProgress)
END_MESSAGE_MAP()

CQuorlLauncherUpdateView::CQuorlLauncherUpdateView() : CFormView(IDD_UPDATE_VIEW) {}
CQuorlLauncherUpdateView::~CQuorlLauncherUpdateView() = default;

void CQuorlLauncherUpdateView::DoDataExchange(CDataExchange* pDX) {
  CFormView::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_UPDATE_STATUS, m_wndStatus);
  DDX_Control(pDX, IDC_UPDATE_LATEST, m_wndLatest);
  DDX_Control(pDX, IDC_UPDATE_CURRENT, m_wndCurrent);
  DDX_Control(pDX, IDC_UPDATE_NEXT, m_wndNext);
  DDX_Control(pDX, IDC_UPDATE_PROGRESS_LABEL, m_wndProgressLabel);
  DDX_Control(pDX, IDC_UPDATE_REMAINING, m_wndRemaining);
  DDX_Control(pDX, IDC_UPDATE_BYTES, m_wndBytes);
  DDX_Control(pDX, IDC_UPDATE_PROGRESS, m_wndProgress);
  DDX_Control(pDX, IDC_UPDATE_CANCEL, m_wndCancel);
}

void CQuorlLauncherUpdateView::OnInitialUpdate() {
  CFormView::OnInitialUpdate();
  ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
  m_wndProgress.SetRange(0, 100);
  m_wndProgressLabel.GetWindowText(m_strProgressLabel);
  m_wndCancel.EnableWindow(FALSE);
  SetStatusTexts(nullptr, TRUE);

  CFont& font = VersionFont();
  if (font.m_hObject == nullptr) {
    CString face;
    face.LoadString(IDS_VERSION_FONT_FACE);
    LOGFONTA lf = {};
    lf.lfHeight = -90;  // 9 pt, in tenths of a point
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    font.CreatePointFontIndirect(&lf);
  }
  if (font.m_hObject != nullptr) {
    m_wndLatest.SetFont(&font);
    m_wndCurrent.SetFont(&font);
    m_wndNext.SetFont(&font);
  }
}

void CQuorlLauncherUpdateView::SetStatusTexts(const char* text, BOOL hideDetails) {
  m_wndStatus.SetWindowText(text != nullptr ? text : "");
  for (int id : kDetailControls) {
    if (CWnd* control = GetDlgItem(id)) control->EnableWindow(hideDetails ? FALSE : TRUE);
  }
  // Cancel is left alone: a click outside a transfer would ask to stop a
  // download that does not exist and the answer would be lost.
  if (hideDetails) {
    for (int id : kEmptiedControls) SetDlgItemText(id, "");
    m_wndProgress.SetPos(0);
  }
}

void CQuorlLauncherUpdateView::SetStatusString(UINT id, BOOL hideDetails) {
  CString text;
  if (id != 0 && !LoadAndFormatWithAppTitle(id, text)) text.Empty();
  SetStatusTexts(id != 0 ? text.GetString() : nullptr, hideDetails);
}

void CQuorlLauncherUpdateView::ShowVersion(uint32_t version, int id) { SetDlgItemText(id, FormatVersion(version)); }

BOOL CQuorlLauncherUpdateView::StartClient() { return StartClientProcess("", m_pHost); }

void CQuorlLauncherUpdateView::OnDestroy() {
  KillTimer(kBusyDotsTimer);
  CFormView::OnDestroy();
}

void CQuorlLauncherUpdateView::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kBusyDotsTimer) {
    CFormView::OnTimer(nIDEvent);
    return;
  }
  m_nDots = NextBusyDotCount(m_nDots);
  ShowBusyDots();
}

void CQuorlLauncherUpdateView::ShowBusyDots() {
  m_wndProgressLabel.SetWindowText(BusyLabel(m_strProgressLabel, m_nDots));
}

void CQuorlLauncherUpdateView::OnCancel() {
  // Only a download that still waits can be cancelled.  A click handled in
  // the same pass as the download's end code is late: the update goes on
  // (leaving the screen here would end it without a word).
  if (m_pSession == nullptr || m_nEndCode != kDownloadRunning) return;
  const HWND self = m_hWnd;
  const int answer = MessageBoxWithAppTitle(IDS_ASK_STOP_DOWNLOAD, MB_YESNO | MB_ICONEXCLAMATION);
  // The screen may have gone while the question was up; then so has this
  // object.
  if (!::IsWindow(self)) return;
  if (answer == IDYES) m_bCancelRequested = TRUE;
}

LRESULT CQuorlLauncherUpdateView::OnStartUpdate(WPARAM, LPARAM) {
  // The whole update runs inside this handler, its waits pumping messages;
  // a start message that comes meanwhile is ignored.  This object may be
  // gone when the sequence returns.
  RunUpdateSequenceOn(this);
  return 0;
}

void CQuorlLauncherUpdateView::ShowProgress(uint32_t received, BOOL finished) {
  m_wndBytes.SetWindowText(FormatByteProgress(received, m_nLength, finished != FALSE));
  m_wndProgress.SetPos(ProgressPercent(received, m_nLength, finished != FALSE));
}

void CQuorlLauncherUpdateView::ShowRemainingTime(uint32_t received) {
  const RemainingTime estimate = EstimateRemainingTime(TickDiff(m_startTick, UpdateTickNow()), received, m_nLength);
  CString text;
  text.LoadString(IDS_REMAINING_LABEL);
  if (estimate.valueId != 0) {
    CString format;
    format.LoadString(estimate.valueId);
    const int args[2] = {estimate.first, estimate.second};
    text += " ";
    text += FormatTableText(format, nullptr, args, 2);
  }
  m_wndRemaining.SetWindowText(text);
}

LRESULT CQuorlLauncherUpdateView::OnDownloadProgress(WPARAM wParam, LPARAM lParam) {
  // The values are 32-bit counts and codes carried in the message's words.
  const uint32_t value = static_cast<uint32_t>(lParam);
  switch (static_cast<int>(wParam)) {
    case kDownloadReportLength:
      m_nLength = value;
      ShowProgress(0, FALSE);
      break;
    case kDownloadReportBytes: {
      ShowProgress(value, FALSE);
      const uint32_t now = UpdateTickNow();
      if (TickDiff(m_speedTick, now) >= 1000u) {
        ShowRemainingTime(value);
        m_speedTick = now;
      }
      m_reportTick = now;
      break;
    }
    case kDownloadReportStarted:
      m_bTransferStarted = TRUE;
      m_reportTick = UpdateTickNow();
      break;
    case kDownloadDone:  // the whole body is in the file
      ShowProgress(value, TRUE);
      m_reportTick = UpdateTickNow();
      m_nEndCode = kDownloadDone;
      m_nEndValue = value;
      break;
    default:  // the session's other end codes
      m_nEndCode = static_cast<int32_t>(wParam);
      m_nEndValue = value;
      break;
  }
  return 0;
}
