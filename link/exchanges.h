#pragma once
// The three device exchanges, each run on a worker thread started by the poll. Every exchange
// takes the worker lock first and releases it last, and runs its closing steps (line speed and
// read time-outs restored, "$03Импорт данных завершен.") on every path. They return nothing:
// every outcome, failures included, is reported through the log lines and progress bars.
#include "core/clock.h"
#include "core/worker_environment.h"
#include "core/worker_params.h"
#include "core/worker_report.h"
#include "platform/serial_port.h"

namespace zep {

// ZEP adapter (prompt "ZEP>"): files one by one into ".bia" / ".bil" raw files.
void ZepExchange(const WorkerParams& params, SerialPort& port, const WorkerEnvironment& env);

// Tessal collector (prompt "CL>"): archives volume by volume into ".bin" raw files.
void TessalExchange(const WorkerParams& params, SerialPort& port, const WorkerEnvironment& env);

// Kolvar device (prompt "KLV10>"): records, last to first, into assembled ".bin" archives.
void KolvarExchange(const WorkerParams& params, SerialPort& port, const WorkerEnvironment& env);

// The Tessal closing step: "exit" to the collector and the line speed of the most recent Tessal
// exchange restored. Also run when the program ends; does nothing when no Tessal exchange has
// run since start-up.
void TessalClose(SerialPort& port, WorkerReport& report, Clock& clock);

}  // namespace zep
