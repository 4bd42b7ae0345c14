// Pointer lists and a growable array on top of the node-stable CList:
// CObList (CObject pointers), CPtrList (untyped pointers), CTypedPtrList
// (either, typed) and CArray.  The lists never own what they point at.
// Platform-neutral.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>

#include "framework/afxcore.h"
#include "framework/afxtempl.h"

class CPtrList : public CObject {
  DECLARE_DYNAMIC(CPtrList)
 public:
  // The block size of the original lists is a tuning value; nodes here are
  // allocated one by one.
  explicit CPtrList(int nBlockSize = 10) { (void)nBlockSize; }
  ~CPtrList() override = default;
  CPtrList(const CPtrList&) = delete;
  CPtrList& operator=(const CPtrList&) = delete;

  int GetCount() const { return m_list.GetCount(); }
  int GetSize() const { return m_list.GetCount(); }
  BOOL IsEmpty() const { return m_list.IsEmpty(); }
  void*& GetHead() { return m_list.GetHead(); }
  void* GetHead() const { return m_list.GetHead(); }
  void*& GetTail() { return m_list.GetTail(); }
  void* GetTail() const { return m_list.GetTail(); }
  POSITION AddHead(void* p) { return m_list.AddHead(p); }
  POSITION AddTail(void* p) { return m_list.AddTail(p); }
  void* RemoveHead() { return m_list.RemoveHead(); }
  void* RemoveTail() { return m_list.RemoveTail(); }
  void RemoveAll() { m_list.RemoveAll(); }
  POSITION GetHeadPosition() const { return m_list.GetHeadPosition(); }
  POSITION GetTailPosition() const { return m_list.GetTailPosition(); }
  void*& GetNext(POSITION& pos) { return m_list.GetNext(pos); }
  void* GetNext(POSITION& pos) const { return m_list.GetNext(pos); }
  void*& GetPrev(POSITION& pos) { return m_list.GetPrev(pos); }
  void* GetPrev(POSITION& pos) const { return const_cast<CList<void*, void*>&>(m_list).GetPrev(pos); }
  void*& GetAt(POSITION pos) { return m_list.GetAt(pos); }
  void* GetAt(POSITION pos) const { return m_list.GetAt(pos); }
  void SetAt(POSITION pos, void* p) { m_list.SetAt(pos, p); }
  POSITION InsertBefore(POSITION pos, void* p) { return m_list.InsertBefore(pos, p); }
  POSITION InsertAfter(POSITION pos, void* p) { return m_list.InsertAfter(pos, p); }
  void RemoveAt(POSITION pos) { m_list.RemoveAt(pos); }
  POSITION FindIndex(int index) const { return m_list.FindIndex(index); }
  // The first position at or after startAfter's successor holding p; null
  // when none.
  POSITION Find(void* p, POSITION startAfter = nullptr) const;

 private:
  CList<void*, void*> m_list;
};

class CObList : public CObject {
  DECLARE_DYNAMIC(CObList)
 public:
  explicit CObList(int nBlockSize = 10) { (void)nBlockSize; }
  ~CObList() override = default;
  CObList(const CObList&) = delete;
  CObList& operator=(const CObList&) = delete;

  int GetCount() const { return m_list.GetCount(); }
  int GetSize() const { return m_list.GetCount(); }
  BOOL IsEmpty() const { return m_list.IsEmpty(); }
  CObject*& GetHead() { return m_list.GetHead(); }
  CObject* GetHead() const { return m_list.GetHead(); }
  CObject*& GetTail() { return m_list.GetTail(); }
  CObject* GetTail() const { return m_list.GetTail(); }
  POSITION AddHead(CObject* p) { return m_list.AddHead(p); }
  POSITION AddTail(CObject* p) { return m_list.AddTail(p); }
  CObject* RemoveHead() { return m_list.RemoveHead(); }
  CObject* RemoveTail() { return m_list.RemoveTail(); }
  void RemoveAll() { m_list.RemoveAll(); }
  POSITION GetHeadPosition() const { return m_list.GetHeadPosition(); }
  POSITION GetTailPosition() const { return m_list.GetTailPosition(); }
  CObject*& GetNext(POSITION& pos) { return m_list.GetNext(pos); }
  CObject* GetNext(POSITION& pos) const { return m_list.GetNext(pos); }
  CObject*& GetPrev(POSITION& pos) { return m_list.GetPrev(pos); }
  CObject* GetPrev(POSITION& pos) const { return const_cast<CList<CObject*, CObject*>&>(m_list).GetPrev(pos); }
  CObject*& GetAt(POSITION pos) { return m_list.GetAt(pos); }
  CObject* GetAt(POSITION pos) const { return m_list.GetAt(pos); }
  void SetAt(POSITION pos, CObject* p) { m_list.SetAt(pos, p); }
  POSITION InsertBefore(POSITION pos, CObject* p) { return m_list.InsertBefore(pos, p); }
  POSITION InsertAfter(POSITION pos, CObject* p) { return m_list.InsertAfter(pos, p); }
  void RemoveAt(POSITION pos) { m_list.RemoveAt(pos); }
  POSITION FindIndex(int index) const { return m_list.FindIndex(index); }
  POSITION Find(CObject* p, POSITION startAfter = nullptr) const;

 private:
  CList<CObject*, CObject*> m_list;
};

// BASE is CObList or CPtrList; TYPE a pointer type.
template <class BASE, class TYPE>
class CTypedPtrList : public BASE {
 public:
  explicit CTypedPtrList(int nBlockSize = 10) : BASE(nBlockSize) {}

  TYPE GetHead() const { return static_cast<TYPE>(BASE::GetHead()); }
  TYPE GetTail() const { return static_cast<TYPE>(BASE::GetTail()); }
  TYPE RemoveHead() { return static_cast<TYPE>(BASE::RemoveHead()); }
  TYPE RemoveTail() { return static_cast<TYPE>(BASE::RemoveTail()); }
  TYPE GetNext(POSITION& pos) const { return static_cast<TYPE>(BASE::GetNext(pos)); }
  TYPE GetPrev(POSITION& pos) const { return static_cast<TYPE>(BASE::GetPrev(pos)); }
  TYPE GetAt(POSITION pos) const { return static_cast<TYPE>(BASE::GetAt(pos)); }
  POSITION AddHead(TYPE p) { return BASE::AddHead(p); }
  POSITION AddTail(TYPE p) { return BASE::AddTail(p); }
  void SetAt(POSITION pos, TYPE p) { BASE::SetAt(pos, p); }
  POSITION InsertBefore(POSITION pos, TYPE p) { return BASE::InsertBefore(pos, p); }
  POSITION InsertAfter(POSITION pos, TYPE p) { return BASE::InsertAfter(pos, p); }
  POSITION Find(TYPE p, POSITION startAfter = nullptr) const { return BASE::Find(p, startAfter); }
};

// A growable array of TYPE (elements are copied as values).
template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
 public:
  CArray() = default;
  ~CArray() override { delete[] m_pData; }
  CArray(const CArray&) = delete;
  CArray& operator=(const CArray&) = delete;

  int GetSize() const { return m_nSize; }
  int GetCount() const { return m_nSize; }
  BOOL IsEmpty() const { return m_nSize == 0; }
  int GetUpperBound() const { return m_nSize - 1; }
  // Grows (new elements value-initialised) or shrinks to nNewSize.
  void SetSize(int nNewSize, int nGrowBy = -1) {
    (void)nGrowBy;
    if (nNewSize < 0) nNewSize = 0;
    Reserve(nNewSize);
    for (int i = m_nSize; i < nNewSize; ++i) m_pData[i] = TYPE();
    m_nSize = nNewSize;
  }
  void RemoveAll() { m_nSize = 0; }
  // The index must be in range.
  TYPE& GetAt(int i) { return m_pData[i]; }
  const TYPE& GetAt(int i) const { return m_pData[i]; }
  void SetAt(int i, ARG_TYPE e) { m_pData[i] = e; }
  TYPE& ElementAt(int i) { return m_pData[i]; }
  TYPE& operator[](int i) { return m_pData[i]; }
  const TYPE& operator[](int i) const { return m_pData[i]; }
  TYPE* GetData() { return m_pData; }
  const TYPE* GetData() const { return m_pData; }
  int Add(ARG_TYPE e) {
    TYPE copy = e;  // e may live in this array
    Reserve(m_nSize + 1);
    m_pData[m_nSize] = copy;
    return m_nSize++;
  }
  void InsertAt(int nIndex, ARG_TYPE e, int nCount = 1) {
    if (nIndex < 0 || nCount <= 0) return;
    TYPE copy = e;
    if (nIndex > m_nSize) nIndex = m_nSize;
    Reserve(m_nSize + nCount);
    for (int i = m_nSize - 1; i >= nIndex; --i) m_pData[i + nCount] = m_pData[i];
    for (int i = 0; i < nCount; ++i) m_pData[nIndex + i] = copy;
    m_nSize += nCount;
  }
  void RemoveAt(int nIndex, int nCount = 1) {
    if (nIndex < 0 || nCount <= 0 || nIndex >= m_nSize) return;
    if (nCount > m_nSize - nIndex) nCount = m_nSize - nIndex;
    for (int i = nIndex; i + nCount < m_nSize; ++i) m_pData[i] = m_pData[i + nCount];
    m_nSize -= nCount;
  }
  // Appends a copy of every element of src; returns the first new index.
  int Append(const CArray& src) {
    const int first = m_nSize;
    const int n = src.m_nSize;
    Reserve(m_nSize + n);
    for (int i = 0; i < n; ++i) m_pData[m_nSize + i] = src.m_pData[i];
    m_nSize += n;
    return first;
  }
  void Copy(const CArray& src) {
    if (&src == this) return;
    m_nSize = 0;
    Append(src);
  }

 private:
  void Reserve(int n) {
    if (n <= m_nMax) return;
    int grow = m_nMax < 8 ? 8 : m_nMax;
    int newMax = m_nMax + grow < n ? n : m_nMax + grow;
    TYPE* data = new TYPE[static_cast<size_t>(newMax)];
    for (int i = 0; i < m_nSize; ++i) data[i] = m_pData[i];
    delete[] m_pData;
    m_pData = data;
    m_nMax = newMax;
  }

  TYPE* m_pData = nullptr;
  int m_nSize = 0;
  int m_nMax = 0;
};
