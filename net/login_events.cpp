#include "net/login_events.h"

#include "net/login_messages.h"

namespace {

template <typename T>
const T* ObjectOf(intptr_t q) {
  return reinterpret_cast<const T*>(q);
}

}  // namespace

int RaiseLoginMessage(CLoginNotifySink& sink, int id, int value, const void* object) {
  return sink.Notify(kNotifyMessage, id, 0, value, reinterpret_cast<intptr_t>(object));
}

int DeliverLoginNotify(CLoginEvents& events, int type, int a, int b, int p, intptr_t q) {
  switch (type) {
    case kNotifyConnected:
      events.OnConnected();
      return 0;
    case kNotifyConnectFailed:
      events.OnConnectFailed(p);
      return 0;
    case kNotifyClosed:
      events.OnClosed(p);
      return 0;
    case kNotifyError:
      events.OnError(p, q);
      return 0;
    case kNotifyFlag:
      events.OnFlag(a, q != 0);
      return 0;
    case kNotifyMessage:
      break;
    default:
      events.OnOther(type, a, b, p, q);
      return 0;
  }
  // Message 32 carries no object; every other listed message must.
  if (a == kMsgSignal) {
    events.OnSignal();
    return 0;
  }
  if (q == 0) {
    events.OnOther(type, a, b, p, q);
    return 0;
  }
  switch (a) {
    case kMsgVersionNotify:
      events.OnVersion(*ObjectOf<CVersionNotifyObj>(q), p);
      break;
    case kMsgVersionNotifyShort:
      events.OnShortVersion(*ObjectOf<CVersionNotifyObj>(q), p);
      break;
    case kMsgWorldStatus:
      events.OnWorldStatus(*ObjectOf<CWorldNotifyObj>(q));
      break;
    case kMsgWorldId:
      events.OnWorldId(*ObjectOf<CWorldNotifyObj>(q));
      break;
    case kMsgWorldSiteList:
      events.OnWorldSiteList(*ObjectOf<CWorldSiteListNotifyObj>(q));
      break;
    case kMsgByteNotify:
      events.OnByteNotify(*ObjectOf<uint8_t>(q));
      break;
    default:
      events.OnOther(type, a, b, p, q);
      break;
  }
  return 0;
}
