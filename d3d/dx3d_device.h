// The device as an application keeps it: reset and re-creation with the
// device objects told in order, windowed/full-screen switching, the gamma
// ramp and the window-message handlers.  Win32 only.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "d3d/dx_device_memory.h"
#include "d3d/dx_render_state.h"
#include "d3d/linked_list.h"

class CDX3DDevice : public CDXRenderState {
 public:
  CDX3DDevice();
  // Destroys the device.
  ~CDX3DDevice() override;

  // Tells every device object OnDestroyDevice and unlinks it, then releases
  // the cache's objects, the device and the Direct3D object.
  void Destroy();
  // Re-creates (recreate) or resets the device.  Every device object hears
  // OnLostDevice first; after success the cache is sent again and every
  // object hears OnResetDevice, also after one of them answered FALSE (each
  // must get its resources back); any FALSE makes the result FALSE.  FALSE
  // without a device or when the reset or re-creation fails.
  BOOL ResetDevice(BOOL recreate);
  // Makes a windowed-usable record the windowed one; FALSE for any other.
  BOOL SwitchRecord(const DX3DDeviceRecord& record);
  BOOL ToggleFullscreen();
  BOOL ResizeWindowed();
  // Sends the ramp 1 + i * scale, then i * scale (held to 0..65535), when the
  // device supports full-screen gamma.
  void SetGamma(int scale);
  // SetGamma(gamma scale) on a full-screen device with full-screen gamma.
  void ApplyGamma();
  void SetGammaScale(int scale) { m_nGammaScale = scale; }
  int GetGammaScale() const { return m_nGammaScale; }

  // Window-message handlers, for an application that routes its messages
  // here (the launcher does not).
  virtual LRESULT OnSettingChange(WPARAM wParam, LPARAM lParam);
  virtual void OnSize(UINT sizeType, int width, int height);
  virtual void OnActivate(BOOL active, HWND other, BOOL minimized);
  virtual void OnFatal();

  // Device objects hear of the device in list order; a new one goes first.
  void LinkDeviceObject(CDXDeviceMemory* object) { m_deviceObjects.PushFront(object); }
  CDXVertexShader& GetVertexShaderStore() { return m_vertexShaders; }

 protected:
  WNDPROC m_pfnFocusWindowProc = nullptr;
  WNDPROC m_pfnDeviceWindowProc = nullptr;

 private:
  bool HasFullscreenGamma() const { return (m_deviceCaps.Caps2 & D3DCAPS2_FULLSCREENGAMMA) != 0; }
  bool RecordsDifferInDevice() const;

  CDXPaletteManager m_paletteManager;
  CLinkedList m_deviceObjects;
  CDXVertexShader m_vertexShaders;
  int m_nGammaScale = 256;
};
