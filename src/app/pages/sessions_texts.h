// What the sessions page and its journal show the user, in one place (the texts that decide on a record live with
// its rules).
#pragma once

#include "core/journal/journal.h"
#include "core/sessions/session_rules.h"

namespace vantrel::app::sessions_texts {

constexpr const wchar_t* kSendMessageButton = kSessionSendMessageCaption;
constexpr const wchar_t* kDisconnectButton = kSessionDisconnectCaption;
constexpr const wchar_t* kLogoffButton = kSessionLogoffCaption;
constexpr const wchar_t* kMessagePrompt = kSessionMessagePrompt;
constexpr const wchar_t* kMessageSent = kSessionMessageSentText;

constexpr const wchar_t* kJournalPanel = kJournalInitialCaption;
constexpr const wchar_t* kJournalClear = kJournalClearCaption;
constexpr const wchar_t* kJournalSave = kJournalSaveCaption;
constexpr const wchar_t* kJournalClearQuestion = kJournalClearConfirmText;
// The save dialog's filter: "文本文件|*.csv;*.txt" with the separators the dialog wants.
constexpr wchar_t kJournalSaveDialogFilter[] = L"文本文件\0*.csv;*.txt\0";

}  // namespace vantrel::app::sessions_texts
