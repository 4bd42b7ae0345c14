// Device-independent images of the skinned screens: CDIB (a plain bitmap:
// BMP reading and writing, keyed and palette-mapped copies, fills),
// CSprite (a CDIB with a remembered colour key) and CAlphableDIB (pixels
// with alpha from a skin entry, blended into the 16-bit 5:5:5 back
// buffer).  Images are shared by reference count.  Neutral, but for the
// module's bitmap resources and device-dependent bitmaps
// (skin/dib_ddb_win.cpp, Win32 builds of the core) and the GDI drawing
// surface and file dialogs (skin/dib_win.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/afxcore.h"
#include "skin/graphic_data.h"
#include "skin/skin_types.h"

class CArchive;
class CFile;
#ifdef _WIN32
class CDC;
struct HBITMAP__;  // HBITMAP, without <windows.h>
#endif

// The 5:5:5 value of an 8-bit colour: red in bits 10-14, green 5-9, blue
// 0-4; each channel keeps its top five bits.
uint16_t PackRgb555(uint32_t r, uint32_t g, uint32_t b);
// The same for a COLORREF (0x00BBGGRR).
uint16_t PackColorRef555(SkinColorRef colour);

// The number of colour-table entries a BITMAPINFOHEADER or
// BITMAPCOREHEADER (told apart by its first field) announces; above 256
// means no table.  header must hold at least 40 (or 12) bytes.
uint32_t GetColourCount(const void* header);

// Decodes an RLE8 (bits 8) or RLE4 (bits 4) stream into height rows of
// stride bytes, the first decoded line as row 0; writes only the pixels
// the stream gives.  False when the stream ends before its end-of-bitmap
// code or would write outside the rows.
bool DecodeBitmapRle(const uint8_t* in, size_t length, uint32_t bits, uint32_t stride, uint32_t height, uint8_t* out);

// Save's two messages.
constexpr const char kImageFileOpenFailedText[] = "Failed to open file";
constexpr const char kImageFileSaveFailedText[] = "Failed to save file";

// What Load and Save ask of the user: a path when they are given none, and
// Save's messages.  The Win32 layer offers the file dialogs and message
// boxes (InstallImageFileDialogs); without a prompt no path is asked for
// and the messages are not shown.
class CImageFilePrompt {
 public:
  virtual ~CImageFilePrompt() = default;
  // A path to load from (save FALSE) or to save to; FALSE when cancelled.
  virtual BOOL AskPath(BOOL save, CString* path) = 0;
  virtual void ShowMessage(const char* text) = 0;
};
// Installs the prompt (null: none) and returns the previous one.
CImageFilePrompt* SetImageFilePrompt(CImageFilePrompt* prompt);
#ifdef _WIN32
// Makes the file dialogs ("Image files (*.DIB, *.BMP)") and AfxMessageBox
// the prompt; defined in the Win32 layer (quorl_skin).
void InstallImageFileDialogs();
#endif

class CDIB : public CObject {
  DECLARE_DYNCREATE(CDIB)
 public:
  enum : uint32_t {
    kOwnsBits = 0x1,
    kTopDown = 0x2,
    kPackedRows = 0x10,  // width bytes per row, top row first
    kClassFlag = 0x10000000,
  };
  // The key that means "none" for Draw, and "the sprite's own" for CSprite.
  static constexpr uint32_t kNoKey = 0xFFFFFFFFu;

  CDIB();
  ~CDIB() override;
  CDIB(const CDIB&) = delete;
  CDIB& operator=(const CDIB&) = delete;

  // Loading: reads a BMP stream from the archive's file (then Update);
  // storing: writes one.  Either way the archive is flushed first, so that
  // the image's bytes lie where the archive stands.  A stream that cannot
  // be read throws CArchiveException::badSchema with the previous pixels
  // kept; a failed write throws CArchiveException::generic.
  void Serialize(CArchive& ar) override;
  virtual void Update() { OnUpdate(); }
  virtual void OnUpdate() {}
  // 8 bpp: the index; 16 bpp: the u16; other forms: 0xFFFFFFFF.  Outside
  // the image, or without pixels: 0xFFFFFFFF.
  virtual uint32_t GetPixel(int x, int y);
  // Null outside the image or without pixels.  Takes no lock: the caller
  // holds one.
  virtual uint8_t* GetPixelAddress(int x, int y);
  // A BMP stream; FALSE (previous pixels kept) on anything that is not a
  // sound BMP.
  virtual BOOL Read(CFile* file);
  // A BMP file; with a null or empty path the prompt asks for one.  FALSE
  // (previous pixels kept) when it cannot be opened or read.
  virtual BOOL Load(const char* path);
  // As a BMP file; with a null or empty path the prompt asks for one.
  // FALSE with kImageFileOpenFailedText when the file cannot be opened for
  // writing, with kImageFileSaveFailedText when the writing fails.  The
  // bytes go to a scratch file that replaces the file only once complete,
  // so a failed save leaves the file as it was.
  virtual BOOL Save(const char* path);
  virtual BOOL Write(CFile* file);
  virtual BOOL WriteFileHeader(CFile* file);
  virtual BOOL WriteBits(CFile* file);

  int GetWidth() const;
  int GetHeight() const;
  int GetBitCount() const;
  // {0, 0, width, height}; returns the width.
  int GetRect(SkinRect* out) const;
  virtual BOOL IsSolidAt(int, int) { return TRUE; }
  virtual BOOL IsSolid(int) { return TRUE; }
  // Copies (w x h) from (sx, sy) of this image to (dx, dy) of dest, in the
  // same pixel format; key kNoKey copies everything, otherwise pixels equal
  // to the key are skipped.  Clipped to both images whatever the arguments.
  virtual void Draw(CDIB* dest, int dx, int dy, int w, int h, int sx, int sy, uint32_t key);
  // An 8-bit image into a 16-bit destination through its colour table.
  virtual void DrawPaletted(CDIB* dest, int dx, int dy, int w, int h, int sx, int sy, uint32_t key);
  // stride x height.
  virtual uint32_t GetImageSize() const;
  virtual uint32_t GetRowBytes() const;

  int AddRef() { return ++m_nRefCount; }
  // Deletes the image when the count was 1; returns the new count.
  int Release();

  BOOL CreateHeader(int width, int height, uint32_t headerBytes);
  // info: a 40-byte header and its colour table.  With bits the image uses
  // them without owning them; without, it owns zeroed pixels.
  BOOL CreateFromHeader(const void* info, void* bits);
  // A 16-bit image.
  BOOL CreateBlank(int width, int height, void* bits);
  // A packed DIB of size bytes (a 40-byte header, its colour table, the
  // uncompressed pixel rows), used in place without being owned; FALSE
  // (nothing changed) when the block is too short for what its header
  // says, or is not of that form.
  BOOL CreateFromPackedDib(void* block, size_t size);

  // w < 0: the image width, h < 0: its height.  border kNoKey: none.
  void Fill(SkinColorRef colour, int x, int y, int w, int h, SkinColorRef border);
  // Every pixel of the outer colour that touches one of the inner colour
  // (left, right, above or below) takes the outline colour.
  void OutlineColour(SkinColorRef inner, SkinColorRef outline, SkinColorRef outer);

#ifdef _WIN32
  // The RT_BITMAP resource of that id in the framework's resource module,
  // used in place (made writable); FALSE when there is none or it is not a
  // sound packed DIB.
  virtual BOOL LoadFromResource(UINT id);
  // A device-dependent bitmap of the image for dc (null: no DC) with the
  // given colour usage (DIB_RGB_COLORS or DIB_PAL_COLORS); the caller
  // deletes it.  Null without pixels.
  virtual HBITMAP__* CreateDDB(CDC* dc, UINT usage);
  // The GDI drawing surface over a copy of the pixels; null when it cannot
  // be made.  Text drawn into it reaches the image with CommitDC.
  // Re-creating the image closes the surface.
  CDC* GetDC(CDC* reference);
  void CommitDC();
  void ReleaseDC();
#endif

  // The header block: a SkinBitmapInfoHeader and the colour table.
  const SkinBitmapInfoHeader* GetHeader() const { return reinterpret_cast<const SkinBitmapInfoHeader*>(m_pHeader); }
  uint8_t* GetColourTable() const { return m_pHeader != nullptr ? m_pHeader + kBitmapInfoHeaderBytes : nullptr; }
  uint8_t* GetBits() const { return m_pBits; }
  uint32_t GetFlags() const { return m_dwFlags; }
  int32_t GetEntry() const { return m_nEntry; }
  CGraphicData* GetSource() const { return m_pSource; }
  int GetLockCount() const { return m_nLockCount; }
  int GetRefCount() const { return m_nRefCount; }
  BOOL HasSurface() const { return m_pSurface != nullptr; }

  // What a drawing surface keeps: released with the image.
  class CSurface {
   public:
    virtual ~CSurface() = default;
  };

 protected:
  friend class CDIBLock;
  // Frees the owned pixels and forgets borrowed ones.
  void FreeBits();
  // Closes the drawing surface: it was made for the old header and pixels.
  void DropSurface();
  // A row's address, or null; no lock.
  uint8_t* RowAddress(int y);
  // Clips a draw to both images; FALSE when nothing is left.
  static BOOL ClipDraw(CDIB* src, CDIB* dest, int* dx, int* dy, int* w, int* h, int* sx, int* sy);
  // Reads width x |height| rows of the file's pixel block, decoding RLE;
  // null (nothing allocated) on any fault.
  uint8_t* ReadBits(CFile* file, SkinBitmapInfoHeader* header, uint32_t size);

  uint8_t* m_pHeader = nullptr;
  uint8_t* m_pBits = nullptr;
  int32_t m_nEntry = -1;
  int16_t m_nLockCount = 0;
  CGraphicData* m_pSource = nullptr;
  uint32_t m_dwFlags = 0;
  int16_t m_nRefCount = 0;
  CSurface* m_pSurface = nullptr;
};

class CSprite : public CDIB {
  DECLARE_DYNCREATE(CSprite)
 public:
  CSprite();
  // As CDIB's, then Update when loading.
  void Serialize(CArchive& ar) override;
  // The colour key is the pixel at (0, 0).
  void OnUpdate() override;
  BOOL Read(CFile* file) override;
  // key kNoKey means the sprite's own key.
  void Draw(CDIB* dest, int dx, int dy, int w, int h, int sx, int sy, uint32_t key) override;
  void DrawPaletted(CDIB* dest, int dx, int dy, int w, int h, int sx, int sy, uint32_t key) override;
  // FALSE outside; inside TRUE unless the key is on and the pixel is the key.
  virtual BOOL HitTest(int x, int y);
  void EnableColourKey(bool enable);
  uint32_t GetColourKey() const { return m_colourKey; }
  void SetColourKey(uint32_t key) { m_colourKey = key; }

 private:
  uint32_t m_colourKey = 0;
};

// An image over a skin entry: its pixels come in only while it is locked.
// The form is chosen by the skin file's flags:
//   1  8-bit indices, then 256 x {B, G, R, A}
//   3  8-bit indices, then 256 x u16 5:5:5 and 256 alpha bytes
//   2  16-bit 5:5:5 pixels, then one alpha byte per pixel
//   0  32-bit {B, G, R, A}
class CAlphableDIB : public CDIB {
  DECLARE_DYNAMIC(CAlphableDIB)
 public:
  CAlphableDIB() = default;
  BOOL Create(int width, int height, int32_t entry, CGraphicData* source);

  // The pixels belong to the skin file: nothing is loaded or stored.
  void Serialize(CArchive&) override {}
  BOOL Load(const char*) override { return FALSE; }
  BOOL Save(const char*) override { return FALSE; }
#ifdef _WIN32
  BOOL LoadFromResource(UINT) override { return FALSE; }
  HBITMAP__* CreateDDB(CDC*, UINT) override { return nullptr; }
#endif

  // The indexed forms copy their colour table in, once.
  void OnUpdate() override;
  // Indexed: the index; 16 bpp: the u16; 32 bpp: a COLORREF.
  uint32_t GetPixel(int x, int y) override;
  uint8_t* GetPixelAddress(int x, int y) override;
  BOOL Read(CFile*) override { return FALSE; }
  BOOL Write(CFile*) override { return FALSE; }
  BOOL WriteFileHeader(CFile*) override { return FALSE; }
  BOOL WriteBits(CFile*) override { return FALSE; }
  BOOL IsSolidAt(int, int) override { return FALSE; }
  BOOL IsSolid(int) override { return FALSE; }
  // Blends into a 16-bit destination; the key is ignored.
  void Draw(CDIB* dest, int dx, int dy, int w, int h, int sx, int sy, uint32_t key) override;
  void DrawPaletted(CDIB* dest, int dx, int dy, int w, int h, int sx, int sy, uint32_t key) override {
    Draw(dest, dx, dy, w, h, sx, sy, key);
  }
  uint32_t GetRowBytes() const override;
  uint32_t GetImageSize() const override;
  // TRUE inside the image where the pixel's alpha is not zero; FALSE also
  // when the entry cannot be loaded.
  BOOL HitTest(int x, int y);

  // The skin form (0-3) and its bits per pixel.
  uint32_t GetForm() const;
  uint32_t GetPixelBits() const;

 private:
  // Colour and alpha of the pixel at (x, y); pixels must be present.
  void ReadPixel(int x, int y, uint32_t* r, uint32_t* g, uint32_t* b, uint32_t* a);
};

// Holds an image's pixels for one operation: the image's own, or its skin
// entry brought in from the image cache (and given back at the end).
class CDIBLock {
 public:
  explicit CDIBLock(CDIB* dib);
  ~CDIBLock();
  CDIBLock(const CDIBLock&) = delete;
  CDIBLock& operator=(const CDIBLock&) = delete;
  // Whether the image has pixels now.
  bool HasPixels() const { return m_dib != nullptr && m_dib->m_pBits != nullptr; }

 private:
  CDIB* m_dib;
  bool m_taken = false;
  CGraphicDataHandle m_handle;
};
