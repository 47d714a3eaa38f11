#pragma once

#include <QString>

#include <optional>

// The service registry: a service is one file R/services/<name> holding
// {"pid": <process id>, "state": <number>}, the state numbers being the service manager's.
inline constexpr int ServiceStateUnknown = -1;
inline constexpr int ServiceStateStopped = 1;
inline constexpr int ServiceStateRunning = 4;

QString ServicesFolder();

// The current state of the service on that machine: -1 when the machine is not this one
// (only "127.0.0.1", "localhost" and an empty name are) or the service is not installed;
// 1 when the process that registered it has gone; otherwise the registered state.
int QueryServiceState(const QString& machineName, const QString& serviceName);

// The system's own service manager's answer, where there is one and it knows the service;
// nothing otherwise, and the registry above answers (so a stand-in service works everywhere).
std::optional<int> QuerySystemServiceState(const QString& machineName, const QString& serviceName);
// Registers a service of this process in the given state; raises EFCreateError on failure.
void RegisterService(const QString& serviceName, int state);
// Removes the service entry if it belongs to this process.
void UnregisterService(const QString& serviceName);
