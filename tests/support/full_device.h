#pragma once
// A device that accepts a given number of bytes and then fails, like a full disk.

#include <QIODevice>

class FullDevice : public QIODevice {
 public:
  explicit FullDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char*, qint64 len) override {
    if (len > room_) return -1;
    room_ -= len;
    return len;
  }

 private:
  qint64 room_;
};
