// Settings types of the serial component and its three property groups.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>

enum TScBaudrate : std::uint8_t {
  brUser,
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000
};
enum TScParity : std::uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum TScDatabits : std::uint8_t { db4, db5, db6, db7, db8 };
enum TScStopbits : std::uint8_t { sb1, sb15, sb2 };
enum TScControlDtr : std::uint8_t { dtrDisabled, dtrEnabled, dtrHandshake };
enum TScControlRts : std::uint8_t { rtsDisabled, rtsEnabled, rtsHandshake, rtsToggle };
enum TScCommOption : std::uint8_t { coErrorChar, coNullStrip, coParityCheck };
enum TScCommEvent : std::uint8_t {
  ceBreak,
  ceCts,
  ceDsr,
  ceError,
  ceRing,
  ceRlsd,
  ceRxChar,
  ceRxFlag,
  ceTxEmpty,
  cePErr,
  ceRx80Full,
  ceEvent1,
  ceEvent2
};
enum TThreadPriority : std::uint8_t {
  tpIdle,
  tpLowest,
  tpLower,
  tpNormal,
  tpHigher,
  tpHighest,
  tpTimeCritical
};

// A set over a small enumeration, one bit per ordinal value.
template <typename E, typename Bits>
class TScSet {
 public:
  constexpr TScSet() = default;
  constexpr TScSet(std::initializer_list<E> Members) {
    for (E m : Members) Include(m);
  }
  static constexpr TScSet FromBits(Bits Value) {
    TScSet s;
    s.Bits_ = Value;
    return s;
  }
  constexpr bool Contains(E Member) const { return (Bits_ >> Member) & 1u; }
  constexpr void Include(E Member) { Bits_ = static_cast<Bits>(Bits_ | (1u << Member)); }
  constexpr void Exclude(E Member) { Bits_ = static_cast<Bits>(Bits_ & ~(1u << Member)); }
  constexpr bool IsEmpty() const { return Bits_ == 0; }
  constexpr Bits ToBits() const { return Bits_; }
  friend constexpr bool operator==(TScSet, TScSet) = default;

 private:
  Bits Bits_ = 0;
};

using TScCommEvents = TScSet<TScCommEvent, std::uint16_t>;
using TScCommOptions = TScSet<TScCommOption, std::uint8_t>;
using TScIntW = std::int32_t;
using TScPortInt = std::int32_t;

// Base of the property groups: OnChange fires only outside BeginUpdate/EndUpdate.
class TScPersistent {
 public:
  TScPersistent() = default;
  TScPersistent(const TScPersistent&) = delete;
  TScPersistent& operator=(const TScPersistent&) = delete;
  virtual ~TScPersistent() = default;

  void BeginUpdate() { ++UpdateCount; }
  void EndUpdate();
  std::int32_t UpdateCount = 0;
  std::function<void(TScPersistent* Sender)> OnChange;

 protected:
  void Changed();
};

class TScFlowControl : public TScPersistent {
 public:
  void Assign(const TScFlowControl& Source);

  bool OutCtsFlow() const { return OutCtsFlow_; }
  bool OutDsrFlow() const { return OutDsrFlow_; }
  TScControlDtr ControlDtr() const { return ControlDtr_; }
  TScControlRts ControlRts() const { return ControlRts_; }
  bool XonXoffOut() const { return XonXoffOut_; }
  bool XonXoffIn() const { return XonXoffIn_; }
  bool DsrSensitivity() const { return DsrSensitivity_; }
  bool TxContinueOnXoff() const { return TxContinueOnXoff_; }

  void SetOutCtsFlow(bool Value) { Update(OutCtsFlow_, Value); }
  void SetOutDsrFlow(bool Value) { Update(OutDsrFlow_, Value); }
  void SetControlDtr(TScControlDtr Value) { Update(ControlDtr_, Value); }
  void SetControlRts(TScControlRts Value) { Update(ControlRts_, Value); }
  void SetXonXoffOut(bool Value) { Update(XonXoffOut_, Value); }
  void SetXonXoffIn(bool Value) { Update(XonXoffIn_, Value); }
  void SetDsrSensitivity(bool Value) { Update(DsrSensitivity_, Value); }
  void SetTxContinueOnXoff(bool Value) { Update(TxContinueOnXoff_, Value); }

 private:
  template <typename T>
  void Update(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    Changed();
  }
  bool OutCtsFlow_ = false;
  bool OutDsrFlow_ = false;
  TScControlDtr ControlDtr_ = dtrDisabled;
  TScControlRts ControlRts_ = rtsDisabled;
  bool XonXoffOut_ = false;
  bool XonXoffIn_ = false;
  bool DsrSensitivity_ = false;
  bool TxContinueOnXoff_ = false;
};

// Every setter notifies, changed or not.
class TScEventChars : public TScPersistent {
 public:
  void Assign(const TScEventChars& Source);

  char XonChar() const { return XonChar_; }
  char XoffChar() const { return XoffChar_; }
  char ErrorChar() const { return ErrorChar_; }
  char EventChar() const { return EventChar_; }
  char EofChar() const { return EofChar_; }

  void SetXonChar(char Value) { Store(XonChar_, Value); }
  void SetXoffChar(char Value) { Store(XoffChar_, Value); }
  void SetErrorChar(char Value) { Store(ErrorChar_, Value); }
  void SetEventChar(char Value) { Store(EventChar_, Value); }
  void SetEofChar(char Value) { Store(EofChar_, Value); }

 private:
  void Store(char& Field, char Value) {
    Field = Value;
    Changed();
  }
  char XonChar_ = 17;
  char XoffChar_ = 19;
  char ErrorChar_ = 0;
  char EventChar_ = 0;
  char EofChar_ = 0;
};

// The two sizes and two limits notify on change; the two time-outs are read when used.
// OnChanging runs before one of the four is stored, so the owner can refuse the change.
class TScBuffers : public TScPersistent {
 public:
  void Assign(const TScBuffers& Source);

  TScIntW ReadSize() const { return ReadSize_; }
  TScIntW WriteSize() const { return WriteSize_; }
  TScIntW ReadTimeout() const { return ReadTimeout_; }
  TScIntW WriteTimeout() const { return WriteTimeout_; }
  TScIntW XonLimit() const { return XonLimit_; }
  TScIntW XoffLimit() const { return XoffLimit_; }

  void SetReadSize(TScIntW Value) { Update(ReadSize_, Value); }
  void SetWriteSize(TScIntW Value) { Update(WriteSize_, Value); }
  void SetReadTimeout(TScIntW Value) { ReadTimeout_ = Clamp(Value); }
  void SetWriteTimeout(TScIntW Value) { WriteTimeout_ = Clamp(Value); }
  void SetXonLimit(TScIntW Value) { Update(XonLimit_, Value); }
  void SetXoffLimit(TScIntW Value) { Update(XoffLimit_, Value); }

  std::function<void(TScBuffers* Sender)> OnChanging;

 private:
  static TScIntW Clamp(TScIntW Value) { return Value < 0 ? 0 : Value; }
  void Update(TScIntW& Field, TScIntW Value);
  TScIntW ReadSize_ = 4096;
  TScIntW WriteSize_ = 2048;
  TScIntW ReadTimeout_ = 1000;
  TScIntW WriteTimeout_ = 1000;
  TScIntW XonLimit_ = 1024;
  TScIntW XoffLimit_ = 1024;
};
