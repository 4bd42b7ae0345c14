// The launcher's side of the network: start-up and shut-down of the login
// connection's engine over Windows Sockets, and the idle-time pump.
#pragma once

#include <cstdint>

// Brings the network up once at start-up; FALSE when it cannot.
int InitNetwork();
// Takes it down again at exit (safe without a successful InitNetwork).
void ShutdownNetwork();

// The pump runs one engine pass per whole 200 ms period, only between
// StartNetworkPump and StopNetworkPump.
void StartNetworkPump();
void StopNetworkPump();
void PumpNetwork();
