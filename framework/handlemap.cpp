// Handle maps: the permanent HWND -> CWnd* binding and the per-thread
// temporary wrappers that FromHandle hands out for unbound handles.
#include <windows.h>

#include <memory>
#include <mutex>
#include <unordered_map>

#include "framework/afxwnd.h"
#include "framework/handlemap_win.h"

namespace afx_internal {
namespace {

// Both live until the process ends (never destroyed): window objects with
// static storage may still unbind themselves during exit.
std::mutex& PermanentLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}

std::unordered_map<HWND, CWnd*>& PermanentMap() {
  static auto* map = new std::unordered_map<HWND, CWnd*>;
  return *map;
}

// Temporary wrappers; each clears its handle before deletion so that the
// wrapper's destructor releases nothing it does not own.
struct TempMaps {
  std::unordered_map<HWND, CWnd*> wnds;
  std::unordered_map<HDC, CDC*> dcs;
  std::unordered_map<HMENU, CMenu*> menus;
  std::unordered_map<HGDIOBJ, CGdiObject*> gdis;

  void Clear() {
    for (auto& e : wnds) {
      e.second->m_hWnd = nullptr;
      delete e.second;
    }
    for (auto& e : dcs) {
      e.second->m_hDC = nullptr;
      e.second->m_hAttribDC = nullptr;
      delete e.second;
    }
    for (auto& e : menus) {
      e.second->m_hMenu = nullptr;
      delete e.second;
    }
    for (auto& e : gdis) {
      e.second->m_hObject = nullptr;
      delete e.second;
    }
    wnds.clear();
    dcs.clear();
    menus.clear();
    gdis.clear();
  }
  ~TempMaps() { Clear(); }
};

thread_local TempMaps t_temp;
thread_local int t_dispatchDepth = 0;

}  // namespace

void PermanentInsert(HWND hWnd, CWnd* pWnd) {
  std::lock_guard<std::mutex> lock(PermanentLock());
  PermanentMap()[hWnd] = pWnd;
}

void PermanentRemove(HWND hWnd) {
  std::lock_guard<std::mutex> lock(PermanentLock());
  PermanentMap().erase(hWnd);
}

CWnd* PermanentLookup(HWND hWnd) {
  std::lock_guard<std::mutex> lock(PermanentLock());
  auto it = PermanentMap().find(hWnd);
  return it == PermanentMap().end() ? nullptr : it->second;
}

CWnd* TempWnd(HWND hWnd) {
  auto it = t_temp.wnds.find(hWnd);
  if (it != t_temp.wnds.end()) return it->second;
  std::unique_ptr<CWnd> p(new CWnd);
  p->m_hWnd = hWnd;
  t_temp.wnds[hWnd] = p.get();
  return p.release();
}

CDC* TempDC(HDC hDC) {
  auto it = t_temp.dcs.find(hDC);
  if (it != t_temp.dcs.end()) return it->second;
  std::unique_ptr<CDC> p(new CDC);
  p->m_hDC = hDC;
  p->m_hAttribDC = hDC;
  t_temp.dcs[hDC] = p.get();
  return p.release();
}

void ForgetTempDC(HDC hDC) {
  auto it = t_temp.dcs.find(hDC);
  if (it == t_temp.dcs.end()) return;
  it->second->m_hDC = nullptr;
  it->second->m_hAttribDC = nullptr;
  delete it->second;
  t_temp.dcs.erase(it);
}

CMenu* TempMenu(HMENU hMenu) {
  auto it = t_temp.menus.find(hMenu);
  if (it != t_temp.menus.end()) return it->second;
  std::unique_ptr<CMenu> p(new CMenu);
  p->m_hMenu = hMenu;
  t_temp.menus[hMenu] = p.get();
  return p.release();
}

CGdiObject* TempGdiObject(HGDIOBJ hObject) {
  auto it = t_temp.gdis.find(hObject);
  if (it != t_temp.gdis.end()) return it->second;
  // The wrapper has the object's own class, so that the casts of
  // CFont::FromHandle and friends are sound.
  std::unique_ptr<CGdiObject> p;
  switch (::GetObjectType(hObject)) {
    case OBJ_FONT:
      p.reset(new CFont);
      break;
    case OBJ_BRUSH:
      p.reset(new CBrush);
      break;
    case OBJ_PEN:
    case OBJ_EXTPEN:
      p.reset(new CPen);
      break;
    case OBJ_BITMAP:
      p.reset(new CBitmap);
      break;
    default:
      p.reset(new CGdiObject);
      break;
  }
  p->m_hObject = hObject;
  t_temp.gdis[hObject] = p.get();
  return p.release();
}

void EnterDispatch() { ++t_dispatchDepth; }
void LeaveDispatch() { --t_dispatchDepth; }
int DispatchDepth() { return t_dispatchDepth; }

}  // namespace afx_internal

void AfxDeleteTempMaps() {
  if (afx_internal::DispatchDepth() == 0) afx_internal::t_temp.Clear();
}
