// The agent's two edits of the current user's ButtonLayout, in the words its
// note keeps: placing the button as the mirror of a removal, and saying what
// a removal's fix did. Each reads the layout once and writes it once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "CommandBarLayout.h"
#include "LayoutRenumbering.h"

/// What a placement did, in the note's words; `placeable` false when the
/// layout was left although it lacks the button; `reached` when the layout
/// now holds this install's entry.
struct PlaceStep {
  std::string outcome;
  bool placeable;
  bool reached;
  std::string wayOut;  // for the reader, where there is one
};

/// The mirror of a removal: the entries of the `later` buttons the install
/// moved one id up move with them, then the button's entry `id` goes in at
/// the install run's index. Never writes more than any tool accepts.
/// `beforeWrite` is handed the layout as it was read, just before the one
/// write: the edit is not one to repeat, so the caller notes where it began.
PlaceStep PlaceEntry(std::int32_t id, std::int32_t later,
                     const std::function<void(const commandbar::LayoutBytes&)>& beforeWrite);

/// A layout's bytes as the note keeps them: hex digits, two a byte.
std::string LayoutText(const commandbar::LayoutBytes& bytes);

/// What a removal's fix did, in the note's words.
std::string FixOutcome(const commandbar::LayoutFix& fix);
