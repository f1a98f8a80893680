// The uninstaller's texts, German (Windows-1252) and English, chosen by the
// setup's language rule (contract/Language.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "uninstall/Outcome.h"

namespace pelmora::uninstall {

// The progress window's caption and the message boxes' caption when no
// product name is known.
std::string_view UninstallTitle(bool english);

// Asked once before anything is changed.
std::string ConfirmationText(std::string_view product, bool english);

// The progress window's line: what is being removed now.
std::string ProgressText(std::string_view what, bool english);

// Why a protocol is not used (the reasons PlanUninstall, the seal's check
// and the reading of the file give; path: the protocol's), or why its
// target is not touched (a folder of the target's chain that other
// accounts could change, LinkedFolder ... WritableTarget; path: that
// folder); always ends by saying that nothing changed.
std::string RejectionText(Reason reason, std::string_view path, bool english);

// Why a thing stays: the reasons the rules give for a line and those of the
// removal.
std::string_view ReasonText(Reason reason, bool english);

// "<thing> (<reason>[, error <code>])": a thing left, as the summary and
// the log name it.
std::string LeftItemText(const LeftItem& item, bool english);

// The lines of the log a run writes when asked to (/LOG=); the log puts
// the date and time before each.
// The command line the uninstaller was started with.
std::string StartedLine(std::string_view commandLine, bool english);
// "Removed file: C:\P\a.txt"; a product's Uninstall entry and a seal
// (below contract::kSealsKey) are named as such, a COM server is
// "Unregistered".
std::string RemovedLine(const GoneItem& item, bool english);
// "Left: " and LeftItemText.
std::string LeftLine(const LeftItem& item, bool english);
// "Refused: " and the text (RejectionText's, which says nothing changed).
std::string RefusedLine(std::string_view text, bool english);
// The confirmation was answered No.
std::string_view AnsweredNoLine(bool english);
// "Exit code 2, total time 0:01:05."
std::string EndLine(int exitCode, unsigned long seconds, bool english);

// "<product> has been removed." or "... removed in part."
std::string SummaryHeadline(std::string_view product, const Outcome& outcome, bool english);

// The closing message: the headline, counts of what went, then each thing left with its
// reason, at most maxItems of them and then how many more.
std::string SummaryText(std::string_view product, const Outcome& outcome, bool english,
                        std::size_t maxItems = 20);

}  // namespace pelmora::uninstall
