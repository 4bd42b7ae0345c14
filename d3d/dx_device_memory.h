// Device objects: things that hold device resources and must hear when the
// device is lost, reset or destroyed.  A device object links itself into
// the device's list (CDX3DDevice::LinkDeviceObject).  Win32 only.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <map>

#include "d3d/linked_list.h"

class CDX3DDevice;

class CDXDeviceMemory : public CLinkedListItem {
 public:
  CDXDeviceMemory() = default;
  // Leaves the device's list (CLinkedListItem's destructor).
  ~CDXDeviceMemory() override = default;

  // Before a reset or re-creation: let go of what the reset would lose.
  virtual void OnLostDevice(CDX3DDevice* device) {}
  // After a successful reset or re-creation; FALSE fails the device's reset.
  virtual BOOL OnResetDevice(CDX3DDevice* device) { return TRUE; }
  // The device goes away; the object is unlinked right after.
  virtual void OnDestroyDevice(CDX3DDevice* device) {}
};

// The generated vertex shaders of the fixed-function emulation, by a packed
// key of the states that shape them, and two state blocks that reset the
// texture-coordinate states.  The launcher never draws: it attaches none.
class CDXVertexShader : public CDXDeviceMemory {
 public:
  CDXVertexShader() = default;
  ~CDXVertexShader() override;

  void OnLostDevice(CDX3DDevice* device) override;
  BOOL OnResetDevice(CDX3DDevice* device) override;
  void OnDestroyDevice(CDX3DDevice* device) override;

  // Takes a reference to a shader for its key (replacing an older one).
  void AddShader(uint64_t key, IDirect3DVertexShader9* shader);
  IDirect3DVertexShader9* FindShader(uint64_t key) const;
  // The shader of the current key, or null.
  IDirect3DVertexShader9* GetCurrentShader() const { return FindShader(m_key); }
  int GetShaderCount() const { return m_nShaders; }
  IDirect3DStateBlock9* GetStateBlock(int i) const { return m_apBlocks[i]; }

  // Key fields.  A change sets its dirty bit only when the interest mask
  // holds the field.
  static constexpr uint64_t kFogModeField = 0x3;  // bits 0-1
  void SetFogMode(DWORD mode);
  void SetAmbient(const float rgba[4]);
  // After the state stack restored other states: fold them in again.
  void Refold(DWORD fogMode);

 private:
  void ReleaseBlocks();
  void ReleaseShaders();

  std::map<uint64_t, IDirect3DVertexShader9*> m_shaders;
  int m_nShaders = 0;
  IDirect3DStateBlock9* m_apBlocks[2] = {nullptr, nullptr};
  uint64_t m_key = 0;
  uint64_t m_interest = ~uint64_t{0};
  uint64_t m_dirty = 0;
  float m_ambient[4] = {0, 0, 0, 0};
};

// One palette of the palette manager: its device slot (kNoSlot when it has
// none) and whether its colours must be uploaded again.
class CDXPaletteEntry : public CLinkedListItem {
 public:
  static constexpr uint16_t kNoSlot = 0xFFFF;
  uint16_t m_nSlot = kNoSlot;
  bool m_bUploadNeeded = true;
};

// Hands out the device's palette slots (at most the capacity) to palettes.
class CDXPaletteManager : public CDXDeviceMemory {
 public:
  explicit CDXPaletteManager(int capacity);
  ~CDXPaletteManager() override;

  // A lost device loses every slot: slots are dealt again from 0 in list
  // order and every holder must upload again.
  void OnLostDevice(CDX3DDevice* device) override;
  BOOL OnResetDevice(CDX3DDevice* device) override { return TRUE; }
  void OnDestroyDevice(CDX3DDevice* device) override { OnLostDevice(device); }

  // A new palette (owned by the manager), with a slot when one is free.
  CDXPaletteEntry* NewEntry();
  // The palette's colours are on the device now.
  void MarkUploaded(CDXPaletteEntry* entry);
  // The caller is done with the palette; it is freed at the next loss.
  void ReleaseEntry(CDXPaletteEntry* entry);
  int GetSlotsInUse() const { return m_nSlotsInUse; }

 private:
  void DealSlots();
  static void FreeAll(CLinkedList& list);

  int m_nCapacity;
  int m_nSlotsInUse = 0;
  CLinkedList m_uploaded;    // slot held, colours on the device
  CLinkedList m_pending;     // slot held, upload needed
  CLinkedList m_unassigned;  // no slot
  CLinkedList m_releasing;   // given back, freed at the next loss
};
