// The methods of the remote data module "zrm90000.rdmRemessaAnalise". Each
// takes the call's arguments and a session of its own; argument errors
// raise CallError(BadRequest).
#pragma once

#include <soci/soci.h>

#include "server/answer_output.h"
#include "server/call_guard.h"
#include "server/caller.h"
#include "vcl/variant.h"
#include "vcl/wire.h"

namespace server {

// [errorText, [notesPacket, itemsPacket]]; refs {3: supplier code}.
// Given an output that can stream, a selection by filter writes its answer
// there row by row as the rows are read, and returns an empty answer once
// the output is completed; a failure before the first piece left is
// answered as usual, one after it is raised (the deadline passed:
// DeadlineExceeded).
vcl::wire::Answer GetNotasFiscais(soci::session& session, const vcl::VariantArray& args,
                                  const CallGuard& guard = CallGuard{}, AnswerOutput* output = nullptr);

// [errorText, seriesPacket].
vcl::wire::Answer GetSerie(soci::session& session, const vcl::VariantArray& args);

// [status, generatedNotesPacket, errorsPacket]; refs {4: series, 5: company}.
// Runs for `caller` only in the caller's own branch and with permission to
// generate; records the caller's user on what it writes. Before its commit
// it passes its answer to guard.BeforeCommit; a deadline passed or a
// database busy past it answers kBusyText with nothing written.
vcl::wire::Answer GeraSaida(soci::session& session, const vcl::VariantArray& args, const Caller& caller,
                            const CallGuard& guard = CallGuard{});

}  // namespace server
