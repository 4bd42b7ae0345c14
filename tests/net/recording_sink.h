// Notify receivers for the tests.  CRecordingSink records every raw call and
// copies the notify object, which lives only during the call, through the
// typed adapter (no casts of its own); CEventLog records the typed calls a
// launcher-side receiver sees, as short texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "net/login_events.h"
#include "net/login_messages.h"

struct CNotifyCall {
  int type = 0;
  int a = 0;
  int b = 0;
  int p = 0;
  intptr_t q = 0;
  std::optional<CVersionNotifyObj> version;
  std::optional<CWorldNotifyObj> world;
  std::optional<CWorldSiteListNotifyObj> sites;
  std::optional<uint8_t> byteValue;
};

class CRecordingSink : public CLoginNotifySink {
 public:
  int Notify(int nType, int nA, int nB, int nP, intptr_t nQ) override {
    CNotifyCall call;
    call.type = nType;
    call.a = nA;
    call.b = nB;
    call.p = nP;
    call.q = nQ;
    CCopier copier(call);
    DeliverLoginNotify(copier, nType, nA, nB, nP, nQ);
    calls.push_back(call);
    return 0;
  }

  std::vector<CNotifyCall> calls;

 private:
  class CCopier : public CLoginEvents {
   public:
    explicit CCopier(CNotifyCall& call) : m_call(call) {}
    void OnVersion(const CVersionNotifyObj& answer, int) override { m_call.version = answer; }
    void OnShortVersion(const CVersionNotifyObj& answer, int) override { m_call.version = answer; }
    void OnWorldStatus(const CWorldNotifyObj& world) override { m_call.world = world; }
    void OnWorldId(const CWorldNotifyObj& world) override { m_call.world = world; }
    void OnWorldSiteList(const CWorldSiteListNotifyObj& sites) override { m_call.sites = sites; }
    void OnByteNotify(uint8_t value) override { m_call.byteValue = value; }

   private:
    CNotifyCall& m_call;
  };
};

class CEventLog : public CLoginEvents {
 public:
  void OnConnected() override { Add("connected"); }
  void OnConnectFailed(int code) override { Add("connect failed " + std::to_string(code)); }
  void OnClosed(int code) override { Add("closed " + std::to_string(code)); }
  void OnError(int first, intptr_t second) override {
    Add("error " + std::to_string(first) + " " + std::to_string(static_cast<long long>(second)));
  }
  void OnVersion(const CVersionNotifyObj& a, int result) override { Add("version " + Answer(a, result)); }
  void OnShortVersion(const CVersionNotifyObj& a, int result) override { Add("short version " + Answer(a, result)); }
  void OnWorldStatus(const CWorldNotifyObj& w) override { Add("world status " + std::to_string(w.m_status.m_nField1)); }
  void OnWorldId(const CWorldNotifyObj& w) override { Add("world id " + std::to_string(w.m_nWorldId)); }
  void OnSignal() override { Add("signal"); }
  void OnWorldSiteList(const CWorldSiteListNotifyObj& s) override { Add("sites " + std::to_string(s.m_nCount)); }
  void OnByteNotify(uint8_t value) override { Add("byte " + std::to_string(value)); }
  void OnFlag(int id, bool flag) override { Add("flag " + std::to_string(id) + (flag ? " on" : " off")); }
  void OnOther(int type, int a, int b, int p, intptr_t q) override {
    Add("other " + std::to_string(type) + " " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(p) +
        " " + std::to_string(static_cast<long long>(q)));
  }

  std::vector<std::string> events;

 private:
  void Add(const std::string& e) { events.push_back(e); }
  static std::string Answer(const CVersionNotifyObj& a, int result) {
    return std::to_string(a.m_nComponentId) + " " + std::to_string(a.m_nChunkNumber) + "/" +
           std::to_string(a.m_nChunkCount) + " result " + std::to_string(result) + " " +
           std::string(a.m_data.begin(), a.m_data.end());
  }
};
