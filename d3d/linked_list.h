// An intrusive doubly linked node.  A list is a pair of nodes, a head and an
// end sentinel, linked to each other when the list is empty; the device
// keeps its device objects and the render-state cache its saved states in
// such lists.
#pragma once

class CLinkedListItem {
 public:
  CLinkedListItem() = default;
  // Leaves whatever list it is in.
  virtual ~CLinkedListItem() { Unlink(); }
  CLinkedListItem(const CLinkedListItem&) = delete;
  CLinkedListItem& operator=(const CLinkedListItem&) = delete;

  CLinkedListItem* GetNext() const { return m_pNext; }
  CLinkedListItem* GetPrev() const { return m_pPrev; }
  bool IsLinked() const { return m_pNext != nullptr || m_pPrev != nullptr; }

  // Links this node in after 'after' (leaving any list it was in first).
  void InsertAfter(CLinkedListItem* after) {
    Unlink();
    m_pPrev = after;
    m_pNext = after->m_pNext;
    if (m_pNext != nullptr) m_pNext->m_pPrev = this;
    after->m_pNext = this;
  }

  // Takes this node out of its list and clears both links.
  void Unlink() {
    if (m_pPrev != nullptr) m_pPrev->m_pNext = m_pNext;
    if (m_pNext != nullptr) m_pNext->m_pPrev = m_pPrev;
    m_pNext = nullptr;
    m_pPrev = nullptr;
  }

 private:
  CLinkedListItem* m_pNext = nullptr;
  CLinkedListItem* m_pPrev = nullptr;
};

// A list of nodes between a head and an end sentinel.
class CLinkedList {
 public:
  CLinkedList() { m_end.InsertAfter(&m_head); }
  // Leaves the remaining nodes unlinked (they are not owned).
  ~CLinkedList() {
    while (!IsEmpty()) m_head.GetNext()->Unlink();
  }
  CLinkedList(const CLinkedList&) = delete;
  CLinkedList& operator=(const CLinkedList&) = delete;

  bool IsEmpty() const { return m_head.GetNext() == &m_end; }
  // The first node, or null when empty.
  CLinkedListItem* GetFirst() const { return IsEmpty() ? nullptr : m_head.GetNext(); }
  // The node after item, or null at the end.
  CLinkedListItem* GetNextOf(const CLinkedListItem* item) const {
    CLinkedListItem* next = item->GetNext();
    return next == &m_end ? nullptr : next;
  }
  void PushFront(CLinkedListItem* item) { item->InsertAfter(&m_head); }
  void PushBack(CLinkedListItem* item) { item->InsertAfter(m_end.GetPrev()); }

 private:
  CLinkedListItem m_head;
  CLinkedListItem m_end;
};
