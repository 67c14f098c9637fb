#include "serial/sc_classes.h"

void TScPersistent::EndUpdate() {
  if (UpdateCount > 0) --UpdateCount;
  Changed();
}

void TScPersistent::Changed() {
  if (UpdateCount == 0 && OnChange) OnChange(this);
}

void TScFlowControl::Assign(const TScFlowControl& Source) {
  // Setters do not notify inside an update, so nothing below throws before EndUpdate.
  BeginUpdate();
  SetOutCtsFlow(Source.OutCtsFlow());
  SetOutDsrFlow(Source.OutDsrFlow());
  SetControlDtr(Source.ControlDtr());
  SetControlRts(Source.ControlRts());
  SetXonXoffOut(Source.XonXoffOut());
  SetXonXoffIn(Source.XonXoffIn());
  SetDsrSensitivity(Source.DsrSensitivity());
  SetTxContinueOnXoff(Source.TxContinueOnXoff());
  EndUpdate();
}

void TScEventChars::Assign(const TScEventChars& Source) {
  BeginUpdate();
  SetXonChar(Source.XonChar());
  SetXoffChar(Source.XoffChar());
  SetErrorChar(Source.ErrorChar());
  SetEventChar(Source.EventChar());
  SetEofChar(Source.EofChar());
  EndUpdate();
}

void TScBuffers::Assign(const TScBuffers& Source) {
  if (OnChanging) OnChanging(this);
  BeginUpdate();
  ReadSize_ = Source.ReadSize_;
  WriteSize_ = Source.WriteSize_;
  ReadTimeout_ = Source.ReadTimeout_;
  WriteTimeout_ = Source.WriteTimeout_;
  XonLimit_ = Source.XonLimit_;
  XoffLimit_ = Source.XoffLimit_;
  EndUpdate();
}

void TScBuffers::Update(TScIntW& Field, TScIntW Value) {
  Value = Clamp(Value);
  if (Field == Value) return;
  if (OnChanging) OnChanging(this);
  Field = Value;
  Changed();
}
