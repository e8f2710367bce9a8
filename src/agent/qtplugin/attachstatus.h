#pragma once

// How an agent attached through the Qt plug-in tells testclient-run what became of it.
//
// The launcher hands the application one end of a Unix stream socket pair and names its
// descriptor in the environment variable below. The plug-in takes the descriptor over
// (close-on-exec, the variable removed, so the application's own children never see it)
// and writes one line per step, a word and for some an argument, ended by a line feed:
//
//   loaded <Qt version>       the application object loaded the plug-in
//   created                   the event loop runs in a QApplication; the agent exists
//   connected                 the agent reached its driver: attached, nothing follows
//
// or, instead of the later steps, one final line that says why no agent will connect:
//
//   not-widgets               the application object is not a QApplication
//   bad-specification <text>  the plug-in's options were not understood
//   create-failed             creating the agent failed (the reason went to stderr)
//   unreachable <error>       no driver accepted the connection
//
// Without the variable (an application started by hand) nothing is written.
namespace AttachStatus {

constexpr char environmentVariable[] = "TESTCLIENT_STATUS_FD";

constexpr char loaded[] = "loaded";
constexpr char created[] = "created";
constexpr char connected[] = "connected";
constexpr char notWidgets[] = "not-widgets";
constexpr char badSpecification[] = "bad-specification";
constexpr char createFailed[] = "create-failed";
constexpr char unreachable[] = "unreachable";

} // namespace AttachStatus
