#pragma once
// An object a subsystem keeps for one window (its controller, a service
// holder): the subsystem's install makes it and hands it over here, and its
// commands reach it again from the host they are given. Typed, so nothing
// depends on the window's object names or tree; the entry goes with the
// object.
#include <QObject>

#include <map>

class IHost;

template <class T>
class THostPart {
 public:
  // The object handed over for host; null when none (or it is gone).
  static T* Of(const IHost& host) {
    auto it = Map().find(&host);
    return it == Map().end() ? nullptr : it->second;
  }
  // Hands part over for host until part is destroyed; returns it.
  static T* Set(const IHost& host, T* part) {
    Map()[&host] = part;
    QObject::connect(part, &QObject::destroyed, [h = &host, part] {
      auto it = Map().find(h);
      if (it != Map().end() && it->second == part) Map().erase(it);
    });
    return part;
  }

 private:
  static std::map<const IHost*, T*>& Map() {
    static std::map<const IHost*, T*> parts;
    return parts;
  }
};
