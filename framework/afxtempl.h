// Collection templates: a doubly linked list walked by positions.  Every
// element has a node of its own, so a pointer to an element stays valid
// until that element is removed (the settings pages keep such pointers as
// combo-box item data).  Platform-neutral.
#pragma once

#include <cstddef>

#include "framework/afxtypes.h"

// An opaque place in a collection; null is "none".
struct CPositionTag;
typedef CPositionTag* POSITION;

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList {
 public:
  CList() = default;
  ~CList() { RemoveAll(); }
  CList(const CList&) = delete;
  CList& operator=(const CList&) = delete;

  int GetCount() const { return m_nCount; }
  int GetSize() const { return m_nCount; }
  BOOL IsEmpty() const { return m_nCount == 0 ? TRUE : FALSE; }

  // The list must not be empty.
  TYPE& GetHead() { return m_pHead->data; }
  const TYPE& GetHead() const { return m_pHead->data; }
  TYPE& GetTail() { return m_pTail->data; }
  const TYPE& GetTail() const { return m_pTail->data; }

  POSITION AddHead(ARG_TYPE newElement) { return InsertBefore(GetHeadPosition(), newElement); }
  POSITION AddTail(ARG_TYPE newElement) { return InsertAfter(GetTailPosition(), newElement); }
  // The list must not be empty.
  TYPE RemoveHead() {
    TYPE value = m_pHead->data;
    RemoveAt(ToPosition(m_pHead));
    return value;
  }
  TYPE RemoveTail() {
    TYPE value = m_pTail->data;
    RemoveAt(ToPosition(m_pTail));
    return value;
  }
  void RemoveAll() {
    while (m_pHead != nullptr) {
      Node* next = m_pHead->next;
      delete m_pHead;
      m_pHead = next;
    }
    m_pTail = nullptr;
    m_nCount = 0;
  }

  // Null when the list is empty / at the end.
  POSITION GetHeadPosition() const { return ToPosition(m_pHead); }
  POSITION GetTailPosition() const { return ToPosition(m_pTail); }
  // The element at rPosition; rPosition moves to the next (null after the
  // last) / previous one.
  TYPE& GetNext(POSITION& rPosition) {
    Node* n = ToNode(rPosition);
    rPosition = ToPosition(n->next);
    return n->data;
  }
  const TYPE& GetNext(POSITION& rPosition) const {
    Node* n = ToNode(rPosition);
    rPosition = ToPosition(n->next);
    return n->data;
  }
  TYPE& GetPrev(POSITION& rPosition) {
    Node* n = ToNode(rPosition);
    rPosition = ToPosition(n->prev);
    return n->data;
  }
  TYPE& GetAt(POSITION position) { return ToNode(position)->data; }
  const TYPE& GetAt(POSITION position) const { return ToNode(position)->data; }
  void SetAt(POSITION position, ARG_TYPE newElement) { ToNode(position)->data = newElement; }

  // A null position inserts at the head / tail.
  POSITION InsertBefore(POSITION position, ARG_TYPE newElement) {
    Node* at = ToNode(position);
    Node* n = new Node(newElement);
    n->next = at != nullptr ? at : m_pHead;
    n->prev = n->next != nullptr ? n->next->prev : nullptr;
    Link(n);
    return ToPosition(n);
  }
  POSITION InsertAfter(POSITION position, ARG_TYPE newElement) {
    Node* at = ToNode(position);
    Node* n = new Node(newElement);
    n->prev = at != nullptr ? at : m_pTail;
    n->next = n->prev != nullptr ? n->prev->next : nullptr;
    Link(n);
    return ToPosition(n);
  }
  void RemoveAt(POSITION position) {
    Node* n = ToNode(position);
    (n->prev != nullptr ? n->prev->next : m_pHead) = n->next;
    (n->next != nullptr ? n->next->prev : m_pTail) = n->prev;
    delete n;
    --m_nCount;
  }

  // The position of the index-th element, or null past the end.
  POSITION FindIndex(int index) const {
    if (index < 0) return nullptr;
    Node* n = m_pHead;
    while (n != nullptr && index-- > 0) n = n->next;
    return ToPosition(n);
  }

 private:
  struct Node {
    explicit Node(ARG_TYPE value) : data(value) {}
    Node* next = nullptr;
    Node* prev = nullptr;
    TYPE data;
  };

  static POSITION ToPosition(Node* n) { return reinterpret_cast<POSITION>(n); }
  static Node* ToNode(POSITION p) { return reinterpret_cast<Node*>(p); }

  // n->prev and n->next are set; hooks n in between them.
  void Link(Node* n) {
    (n->prev != nullptr ? n->prev->next : m_pHead) = n;
    (n->next != nullptr ? n->next->prev : m_pTail) = n;
    ++m_nCount;
  }

  Node* m_pHead = nullptr;
  Node* m_pTail = nullptr;
  int m_nCount = 0;
};
