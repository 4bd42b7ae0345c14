// BMP streams: reading (uncompressed, RLE8 and RLE4) and writing of CDIB.
#include <cstdlib>
#include <cstring>

#include "framework/afxfile.h"
#include "skin/dib.h"

namespace {

// The largest pixel block a BMP may make us allocate.
constexpr uint64_t kMaxImageBytes = 256u << 20;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void ParseInfoHeader(const uint8_t* p, SkinBitmapInfoHeader* h) {
  h->biSize = Le32(p);
  h->biWidth = static_cast<int32_t>(Le32(p + 4));
  h->biHeight = static_cast<int32_t>(Le32(p + 8));
  h->biPlanes = Le16(p + 12);
  h->biBitCount = Le16(p + 14);
  h->biCompression = Le32(p + 16);
  h->biSizeImage = Le32(p + 20);
  h->biXPelsPerMeter = static_cast<int32_t>(Le32(p + 24));
  h->biYPelsPerMeter = static_cast<int32_t>(Le32(p + 28));
  h->biClrUsed = Le32(p + 32);
  h->biClrImportant = Le32(p + 36);
}

void FormatInfoHeader(const SkinBitmapInfoHeader& h, uint8_t* p) {
  Put32(p, h.biSize);
  Put32(p + 4, static_cast<uint32_t>(h.biWidth));
  Put32(p + 8, static_cast<uint32_t>(h.biHeight));
  Put16(p + 12, h.biPlanes);
  Put16(p + 14, h.biBitCount);
  Put32(p + 16, h.biCompression);
  Put32(p + 20, h.biSizeImage);
  Put32(p + 24, static_cast<uint32_t>(h.biXPelsPerMeter));
  Put32(p + 28, static_cast<uint32_t>(h.biYPelsPerMeter));
  Put32(p + 32, h.biClrUsed);
  Put32(p + 36, h.biClrImportant);
}

bool ReadExactly(CFile* file, void* buf, uint32_t n) { return file->Read(buf, n) == n; }

uint64_t StrideOf(uint32_t bitCount, uint32_t width) { return (static_cast<uint64_t>(bitCount) * width + 31) / 32 * 4; }

}  // namespace

// Decodes an RLE8 (bits 8) or RLE4 (bits 4) stream into height rows of
// stride bytes, the first decoded line as row 0.  False on any fault.
bool DecodeBitmapRle(const uint8_t* in, size_t length, uint32_t bits, uint32_t stride, uint32_t height, uint8_t* out) {
  const uint64_t perRow = bits == 4 ? static_cast<uint64_t>(stride) * 2 : stride;
  uint64_t x = 0, row = 0;
  size_t i = 0;
  auto put = [&](uint32_t v) {
    if (x >= perRow) {
      x = 0;
      ++row;
    }
    if (row >= height || perRow == 0) return false;
    uint8_t* line = out + row * stride;
    if (bits == 8) {
      line[x] = static_cast<uint8_t>(v);
    } else {
      uint8_t& b = line[x / 2];
      b = (x % 2) == 0 ? static_cast<uint8_t>((b & 0x0F) | ((v & 0x0F) << 4))
                       : static_cast<uint8_t>((b & 0xF0) | (v & 0x0F));
    }
    ++x;
    return true;
  };
  for (;;) {
    if (length - i < 2) return false;  // ended before the end-of-bitmap code
    const uint32_t n = in[i], v = in[i + 1];
    i += 2;
    if (n > 0) {
      for (uint32_t k = 0; k < n; ++k) {
        const uint32_t pixel = bits == 8 ? v : ((k % 2) == 0 ? v >> 4 : v & 0x0F);
        if (!put(pixel)) return false;
      }
      continue;
    }
    if (v == 0) {
      x = 0;
      ++row;
    } else if (v == 1) {
      return true;
    } else if (v == 2) {
      if (length - i < 2) return false;
      x += in[i];
      row += in[i + 1];
      i += 2;
    } else {
      const size_t bytes = bits == 8 ? v : (v + 1) / 2;
      const size_t padded = (bytes + 1) & ~static_cast<size_t>(1);
      if (length - i < bytes) return false;
      for (uint32_t k = 0; k < v; ++k) {
        const uint32_t pixel = bits == 8 ? in[i + k] : ((k % 2) == 0 ? in[i + k / 2] >> 4 : in[i + k / 2] & 0x0F);
        if (!put(pixel)) return false;
      }
      i += padded <= length - i ? padded : length - i;
    }
  }
}

uint8_t* CDIB::ReadBits(CFile* file, SkinBitmapInfoHeader* header, uint32_t size) {
  const uint32_t width = static_cast<uint32_t>(header->biWidth);
  const uint32_t height =
      static_cast<uint32_t>(header->biHeight < 0 ? -static_cast<int64_t>(header->biHeight) : header->biHeight);
  const uint64_t stride = StrideOf(header->biBitCount, width);
  const uint64_t image = stride * height;
  const uint64_t padded = ((static_cast<uint64_t>(width) + 3) & ~static_cast<uint64_t>(3)) * height;
  uint64_t alloc = image > padded ? image : padded;
  if (size > alloc) alloc = size;
  if (alloc > kMaxImageBytes) return nullptr;
  uint8_t* block = static_cast<uint8_t*>(std::calloc(1, static_cast<size_t>(alloc) + 1));
  if (block == nullptr) return nullptr;
  if (!ReadExactly(file, block, size)) {
    std::free(block);
    return nullptr;
  }
  if (header->biCompression == kSkinBiRle8 || header->biCompression == kSkinBiRle4) {
    uint8_t* decoded = static_cast<uint8_t*>(std::calloc(1, static_cast<size_t>(image) + 1));
    const uint32_t bits = header->biCompression == kSkinBiRle8 ? 8 : 4;
    const bool ok = decoded != nullptr && bits == header->biBitCount &&
                    DecodeBitmapRle(block, size, bits, static_cast<uint32_t>(stride), height, decoded);
    std::free(block);
    if (!ok) {
      std::free(decoded);
      return nullptr;
    }
    header->biCompression = kSkinBiRgb;
    header->biSizeImage = 0;
    return decoded;
  }
  return block;
}

BOOL CDIB::Read(CFile* file) {
  if (file == nullptr) return FALSE;
  uint8_t* header = nullptr;
  uint8_t* bits = nullptr;
  try {
    const uint64_t start = file->GetPosition();
    const uint64_t length = file->GetLength();
    uint8_t fh[kBitmapFileHeaderBytes];
    uint8_t ih[kBitmapInfoHeaderBytes];
    if (!ReadExactly(file, fh, sizeof fh) || Le16(fh) != 0x4D42) return FALSE;
    if (!ReadExactly(file, ih, sizeof ih)) return FALSE;
    SkinBitmapInfoHeader info;
    ParseInfoHeader(ih, &info);
    if (info.biSize != kBitmapInfoHeaderBytes) return FALSE;
    const uint32_t bfSize = Le32(fh + 2), bfOffBits = Le32(fh + 10);
    // The file is not trusted: a positive width, a height other than 0,
    // a bit count a BMP can have, and a pixel block inside the file.
    const uint16_t bc = info.biBitCount;
    if (info.biWidth <= 0 || info.biHeight == 0 || info.biHeight == INT32_MIN) return FALSE;
    if (bc != 1 && bc != 4 && bc != 8 && bc != 16 && bc != 24 && bc != 32) return FALSE;
    if (info.biCompression != kSkinBiRgb && info.biCompression != kSkinBiRle8 && info.biCompression != kSkinBiRle4)
      return FALSE;
    const uint64_t h = static_cast<uint64_t>(info.biHeight < 0 ? -static_cast<int64_t>(info.biHeight) : info.biHeight);
    if (StrideOf(bc, static_cast<uint32_t>(info.biWidth)) * h > kMaxImageBytes) return FALSE;
    if (bfOffBits < kBitmapFileHeaderBytes + kBitmapInfoHeaderBytes || bfOffBits > bfSize) return FALSE;
    if (start + bfOffBits > length) return FALSE;
    uint64_t pixelBytes = bfSize - bfOffBits;
    if (pixelBytes > length - (start + bfOffBits)) return FALSE;

    uint32_t n = GetColourCount(&info);
    if (n > 256) n = 0;
    const uint32_t tableBytes = 4 * n;
    header = static_cast<uint8_t*>(std::calloc(1, kBitmapInfoHeaderBytes + tableBytes));
    if (header == nullptr) return FALSE;
    if (tableBytes != 0 && !ReadExactly(file, header + kBitmapInfoHeaderBytes, tableBytes)) {
      std::free(header);
      return FALSE;
    }
    file->Seek(static_cast<int64_t>(start + bfOffBits), CFile::begin);
    bits = ReadBits(file, &info, static_cast<uint32_t>(pixelBytes));
    if (bits == nullptr) {
      std::free(header);
      return FALSE;
    }
    // Rows are taken bottom-up whatever the sign of the height.
    if (info.biHeight < 0) info.biHeight = -info.biHeight;
    std::memcpy(header, &info, sizeof info);
  } catch (CException* e) {
    e->Delete();
    std::free(header);
    std::free(bits);
    return FALSE;
  }
  DropSurface();
  FreeBits();
  std::free(m_pHeader);
  m_pHeader = header;
  m_pBits = bits;
  m_nEntry = -1;
  m_pSource = nullptr;
  m_dwFlags |= kOwnsBits;
  m_dwFlags &= ~(kTopDown | kPackedRows);
  Update();
  return TRUE;
}

BOOL CDIB::WriteFileHeader(CFile* file) {
  if (file == nullptr || m_pHeader == nullptr) return FALSE;
  CDIBLock lock(this);
  uint32_t n = GetColourCount(m_pHeader);
  if (n > 256) n = 0;
  uint8_t fh[kBitmapFileHeaderBytes] = {'B', 'M'};
  Put32(fh + 2, GetImageSize() + 4 * n + 54);
  Put32(fh + 10, 4 * n + 54);
  uint8_t ih[kBitmapInfoHeaderBytes];
  FormatInfoHeader(*GetHeader(), ih);
  try {
    file->Write(fh, sizeof fh);
    file->Write(ih, sizeof ih);
    if (n != 0) file->Write(GetColourTable(), 4 * n);
  } catch (CException* e) {
    e->Delete();
    return FALSE;
  }
  return TRUE;
}

BOOL CDIB::WriteBits(CFile* file) {
  if (file == nullptr) return FALSE;
  CDIBLock lock(this);
  if (!lock.HasPixels()) return FALSE;
  try {
    if ((m_dwFlags & (kTopDown | kPackedRows)) != 0) {
      for (int y = GetHeight() - 1; y >= 0; --y) {
        const uint8_t* row = RowAddress(y);
        file->Write(row, (m_dwFlags & kPackedRows) != 0 ? static_cast<UINT>(GetWidth()) : GetRowBytes());
      }
    } else {
      file->Write(m_pBits, GetImageSize());
    }
  } catch (CException* e) {
    e->Delete();
    return FALSE;
  }
  return TRUE;
}

BOOL CDIB::Write(CFile* file) { return WriteFileHeader(file) && WriteBits(file) ? TRUE : FALSE; }

// ---------------------------------------------------------------------------
// Files and archives

namespace {

CImageFilePrompt* g_imageFilePrompt = nullptr;

BOOL AskImagePath(BOOL save, CString* path) {
  return g_imageFilePrompt != nullptr && g_imageFilePrompt->AskPath(save, path) && !path->IsEmpty() ? TRUE : FALSE;
}

void ShowImageFileMessage(const char* text) {
  if (g_imageFilePrompt != nullptr) g_imageFilePrompt->ShowMessage(text);
}

// The scratch file a save writes before it replaces the file.
CString ScratchPathFor(const CString& path) { return path + ".saving"; }

}  // namespace

CImageFilePrompt* SetImageFilePrompt(CImageFilePrompt* prompt) {
  CImageFilePrompt* previous = g_imageFilePrompt;
  g_imageFilePrompt = prompt;
  return previous;
}

BOOL CDIB::Load(const char* path) {
  CString chosen(path);
  if (chosen.IsEmpty() && !AskImagePath(FALSE, &chosen)) return FALSE;
  CFile file;
  if (!file.Open(chosen, CFile::modeRead | CFile::shareDenyWrite)) return FALSE;
  return Read(&file);
}

BOOL CDIB::Save(const char* path) {
  CString chosen(path);
  if (chosen.IsEmpty() && !AskImagePath(TRUE, &chosen)) return FALSE;
  // The file itself must be one we may replace: a read-only file, a folder
  // or a file someone holds open is refused before anything is written.
  CFileStatus status;
  if (CFile::GetStatus(chosen, status)) {
    CFile probe;
    if ((status.m_attribute & CFile::directory) != 0 ||
        !probe.Open(chosen, CFile::modeReadWrite | CFile::shareExclusive)) {
      ShowImageFileMessage(kImageFileOpenFailedText);
      return FALSE;
    }
  }
  const CString scratch = ScratchPathFor(chosen);
  CFile file;
  if (!file.Open(scratch, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive)) {
    ShowImageFileMessage(kImageFileOpenFailedText);
    return FALSE;
  }
  BOOL ok = Write(&file);
  try {
    if (ok) file.Close();
    if (ok) CFile::RenameReplacing(scratch, chosen);
  } catch (CException* e) {
    e->Delete();
    ok = FALSE;
  }
  if (!ok) {
    file.Abort();
    try {
      CFile::Remove(scratch);
    } catch (CException* e) {
      e->Delete();
    }
    ShowImageFileMessage(kImageFileSaveFailedText);
    return FALSE;
  }
  return TRUE;
}

void CDIB::Serialize(CArchive& ar) {
  ar.Flush();
  CFile* file = ar.GetFile();
  if (file == nullptr) AfxThrowArchiveException(CArchiveException::genericException);
  if (ar.IsLoading()) {
    if (!Read(file)) AfxThrowArchiveException(CArchiveException::badSchema, file->GetFilePath());
  } else if (!Write(file)) {
    AfxThrowArchiveException(CArchiveException::genericException, file->GetFilePath());
  }
}

void CSprite::Serialize(CArchive& ar) {
  CDIB::Serialize(ar);
  if (ar.IsLoading()) Update();
}
