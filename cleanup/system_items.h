#pragma once
// Procedures of the system, registry and Internet Explorer rows.
#include "cleanup/item_context.h"

namespace cleanup {

// Walks every location the platform's table names for the row's token.
void CollectLocations(ItemContext& context);
void CollectTemp(ItemContext& context);
void CollectTrash(ItemContext& context);
void CollectRecentDocuments(ItemContext& context);
void CollectJava(ItemContext& context);
void EmptyClipboard(ItemContext& context);
// Worker: the recently-used lists become empty lists.
void ResetRecentDocuments();

// Registry rows.
void CleanSavedWindowInformation(ItemContext& context);
void CleanRegistryEditor(ItemContext& context);
void CleanMsPaint(ItemContext& context);
void CleanWordPad(ItemContext& context);
void CleanWindowsMediaPlayer(ItemContext& context);
void CleanOpenCloseDialogs(ItemContext& context);
void CleanComputerSearch(ItemContext& context);
void CleanInternetSearchAssistant(ItemContext& context);
void CleanFileSearch(ItemContext& context);
void CleanRunHistory(ItemContext& context);
void CleanAccessedPrograms(ItemContext& context);
void CleanMsn(ItemContext& context);
void CleanIeTypedUrls(ItemContext& context);
void CleanIeAutoComplete(ItemContext& context);
void CleanIePasswords(ItemContext& context);
void CleanIeCompatibility(ItemContext& context);
void CleanIePopups(ItemContext& context);

}  // namespace cleanup
