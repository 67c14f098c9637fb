#pragma once
// The failure scope of one readout step: a port error or a reply too short for what the step
// reads abandons the rest of the step and clears LinkOk; the readout goes on with steps that
// then skip.

#include "acquisition/record_decoder.h"

#include <QByteArray>
#include <exception>

struct StepFailed {};

template <typename Body>
void Step(DecoderContext& context, Body body) {
  try {
    body();
  } catch (const StepFailed&) {
    context.LinkOk = false;
  } catch (const std::exception&) {
    context.LinkOk = false;
  }
}

// A reply without its first byte.
inline QByteArray DataPart(const QByteArray& reply) {
  return reply.mid(1);
}

// Fails the step unless the data part holds the bytes the step reads.
inline void NeedBytes(const QByteArray& data, qsizetype count) {
  if (data.size() < count) throw StepFailed{};
}
