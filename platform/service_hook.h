#pragma once

#include <utility>

// A process-wide slot for a replaceable service: the installed one when there is
// one, else the service's default. Tests install fakes through ScopedService.
template <class Service>
class ServiceHook {
 public:
  static Service& Current() {
    Service* installed = Slot();
    return installed ? *installed : Service::Default();
  }
  // Returns the previously installed service (nullptr = the default).
  static Service* Install(Service* service) { return std::exchange(Slot(), service); }

 private:
  static Service*& Slot() {
    static Service* slot = nullptr;
    return slot;
  }
};

// Installs a service for the lifetime of the scope, then puts back the previous one.
template <class Service>
class ScopedService {
 public:
  explicit ScopedService(Service& service) : previous_(ServiceHook<Service>::Install(&service)) {}
  ~ScopedService() { ServiceHook<Service>::Install(previous_); }
  ScopedService(const ScopedService&) = delete;
  ScopedService& operator=(const ScopedService&) = delete;

 private:
  Service* previous_;
};
