// Settings types of the serial component and its three property groups.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <initializer_list>

// The namespace only carries the meta-object of the enumerations; their names stay global.
namespace Sc {
Q_NAMESPACE

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
Q_ENUM_NS(TScBaudrate)
enum TScParity : std::uint8_t { paNone, paOdd, paEven, paMark, paSpace };
Q_ENUM_NS(TScParity)
enum TScDatabits : std::uint8_t { db4, db5, db6, db7, db8 };
Q_ENUM_NS(TScDatabits)
enum TScStopbits : std::uint8_t { sb1, sb15, sb2 };
Q_ENUM_NS(TScStopbits)
enum TScControlDtr : std::uint8_t { dtrDisabled, dtrEnabled, dtrHandshake };
Q_ENUM_NS(TScControlDtr)
enum TScControlRts : std::uint8_t { rtsDisabled, rtsEnabled, rtsHandshake, rtsToggle };
Q_ENUM_NS(TScControlRts)
enum TScCommOption : std::uint8_t { coErrorChar, coNullStrip, coParityCheck };
Q_ENUM_NS(TScCommOption)
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
Q_ENUM_NS(TScCommEvent)
// The two sets as the meta-object publishes them: the flag of a member is bit (ordinal),
// so a set's bits are its flags and QMetaEnum names the members.
enum class TScCommOptionFlag { coErrorChar = 1 << 0, coNullStrip = 1 << 1, coParityCheck = 1 << 2 };
Q_DECLARE_FLAGS(TScCommOptionFlags, TScCommOptionFlag)
Q_FLAG_NS(TScCommOptionFlags)
enum class TScCommEventFlag {
  ceBreak = 1 << 0,
  ceCts = 1 << 1,
  ceDsr = 1 << 2,
  ceError = 1 << 3,
  ceRing = 1 << 4,
  ceRlsd = 1 << 5,
  ceRxChar = 1 << 6,
  ceRxFlag = 1 << 7,
  ceTxEmpty = 1 << 8,
  cePErr = 1 << 9,
  ceRx80Full = 1 << 10,
  ceEvent1 = 1 << 11,
  ceEvent2 = 1 << 12
};
Q_DECLARE_FLAGS(TScCommEventFlags, TScCommEventFlag)
Q_FLAG_NS(TScCommEventFlags)
static_assert(int(TScCommOptionFlag::coParityCheck) == 1 << coParityCheck);
static_assert(int(TScCommEventFlag::ceEvent2) == 1 << ceEvent2);
enum TThreadPriority : std::uint8_t {
  tpIdle,
  tpLowest,
  tpLower,
  tpNormal,
  tpHigher,
  tpHighest,
  tpTimeCritical
};
Q_ENUM_NS(TThreadPriority)
}  // namespace Sc
Q_DECLARE_OPERATORS_FOR_FLAGS(Sc::TScCommOptionFlags)
Q_DECLARE_OPERATORS_FOR_FLAGS(Sc::TScCommEventFlags)

using Sc::TScBaudrate;
using enum Sc::TScBaudrate;
using Sc::TScParity;
using enum Sc::TScParity;
using Sc::TScDatabits;
using enum Sc::TScDatabits;
using Sc::TScStopbits;
using enum Sc::TScStopbits;
using Sc::TScControlDtr;
using enum Sc::TScControlDtr;
using Sc::TScControlRts;
using enum Sc::TScControlRts;
using Sc::TScCommOption;
using enum Sc::TScCommOption;
using Sc::TScCommEvent;
using enum Sc::TScCommEvent;
using Sc::TThreadPriority;
using enum Sc::TThreadPriority;

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
// Each group publishes its values as properties, so a form storage can keep them.
class TScPersistent : public QObject {
  Q_OBJECT
 public:
  TScPersistent() = default;
  ~TScPersistent() override = default;

  void BeginUpdate() { ++UpdateCount; }
  void EndUpdate();
  std::int32_t UpdateCount = 0;
  std::function<void(TScPersistent* Sender)> OnChange;

 protected:
  void Changed();
};

class TScFlowControl : public TScPersistent {
  Q_OBJECT
  Q_PROPERTY(bool OutCtsFlow READ OutCtsFlow WRITE SetOutCtsFlow)
  Q_PROPERTY(bool OutDsrFlow READ OutDsrFlow WRITE SetOutDsrFlow)
  Q_PROPERTY(Sc::TScControlDtr ControlDtr READ ControlDtr WRITE SetControlDtr)
  Q_PROPERTY(Sc::TScControlRts ControlRts READ ControlRts WRITE SetControlRts)
  Q_PROPERTY(bool XonXoffOut READ XonXoffOut WRITE SetXonXoffOut)
  Q_PROPERTY(bool XonXoffIn READ XonXoffIn WRITE SetXonXoffIn)
  Q_PROPERTY(bool DsrSensitivity READ DsrSensitivity WRITE SetDsrSensitivity)
  Q_PROPERTY(bool TxContinueOnXoff READ TxContinueOnXoff WRITE SetTxContinueOnXoff)
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
  Q_OBJECT
  Q_PROPERTY(char XonChar READ XonChar WRITE SetXonChar)
  Q_PROPERTY(char XoffChar READ XoffChar WRITE SetXoffChar)
  Q_PROPERTY(char ErrorChar READ ErrorChar WRITE SetErrorChar)
  Q_PROPERTY(char EventChar READ EventChar WRITE SetEventChar)
  Q_PROPERTY(char EofChar READ EofChar WRITE SetEofChar)
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
  Q_OBJECT
  Q_PROPERTY(int ReadSize READ ReadSize WRITE SetReadSize)
  Q_PROPERTY(int WriteSize READ WriteSize WRITE SetWriteSize)
  Q_PROPERTY(int ReadTimeout READ ReadTimeout WRITE SetReadTimeout)
  Q_PROPERTY(int WriteTimeout READ WriteTimeout WRITE SetWriteTimeout)
  Q_PROPERTY(int XonLimit READ XonLimit WRITE SetXonLimit)
  Q_PROPERTY(int XoffLimit READ XoffLimit WRITE SetXoffLimit)
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
