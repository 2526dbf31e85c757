#pragma once

class CDocManager;
class Platform;
class ShareBlock;

// What the editor tells the suite about unsaved work, and the questions it asks before the
// simulator reads the circuit from disk.
namespace SimulationPrompts {

// editState follows the documents: 0 becomes 1 while any is modified, 1 becomes 0 when
// none is. The values the Simulate command leaves (2 to 4) stay.
void ReportModifiedState(const ShareBlock& block, const CDocManager& manager);

// Asks, for every modified document in turn, whether to save it before the simulation:
// with the Simulate command's wording while editState is 2 (Cancel there sets editState to
// 3 and asks no more), otherwise with the suite's (where Cancel saves too). When any stayed
// unsaved, editState becomes 1 while the simulator runs, else 4. A save that fails, or
// whose Save As is cancelled, leaves the document unsaved like No does: the suite must not
// be told all was saved while the simulator reads the old file.
void PromptSaveForSimulation(const ShareBlock* block, CDocManager& manager, Platform& platform);

} // namespace SimulationPrompts
