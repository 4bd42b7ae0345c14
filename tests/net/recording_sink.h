// A Notify receiver for the tests: records every call and copies the notify
// object, which lives only during the call.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

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
    int Notify(int nType, int nA, int nB, int nP, intptr_t nQ) override
    {
        CNotifyCall call;
        call.type = nType;
        call.a = nA;
        call.b = nB;
        call.p = nP;
        call.q = nQ;
        if (nType == kNotifyMessage && nQ != 0) {
            switch (nA) {
            case kMsgVersionNotify:
            case kMsgVersionNotifyShort:
                call.version = *reinterpret_cast<const CVersionNotifyObj*>(nQ);
                break;
            case kMsgWorldStatus:
            case kMsgWorldId:
                call.world = *reinterpret_cast<const CWorldNotifyObj*>(nQ);
                break;
            case kMsgWorldSiteList:
                call.sites = *reinterpret_cast<const CWorldSiteListNotifyObj*>(nQ);
                break;
            case kMsgByteNotify:
                call.byteValue = *reinterpret_cast<const uint8_t*>(nQ);
                break;
            default:
                break;
            }
        }
        calls.push_back(call);
        return 0;
    }

    std::vector<CNotifyCall> calls;
};
