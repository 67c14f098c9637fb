#pragma once
// The failure scope of one readout step: a port error or a reply too short for what the step
// reads abandons the rest of the step and clears LinkOk; the readout goes on with steps that
// then skip.

#include "acquisition/record_decoder.h"

#include <QByteArray>

#include <exception>
#include <optional>

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

// The parsed reply, or the step fails when the reply was too short for it.
template <typename Reply>
Reply Parsed(std::optional<Reply> reply) {
  if (!reply) throw StepFailed{};
  return *std::move(reply);
}
