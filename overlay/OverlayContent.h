// What the status overlay shows, and where it gets it: the items are read
// from the host (and the stream) by whoever owns the overlay, at each paint.
// No window system here.
#pragma once
#include <cstdint>

// The overlay's items, one bit each, as show requests name them.
enum OverlayContentFlag : int32_t {
  kOverlayChannel = 0x01,
  kOverlayRecording = 0x02,
  kOverlayStatusBar = 0x04,
  kOverlayProgramme = 0x08,
  kOverlayClock = 0x10,
  kOverlayAll = 0x1F,
};

// The texts and states of the items; an item whose source is missing is not
// drawn.
struct OverlayContent {
  bool channelKnown = false;  // the host's remote window is known
  char channelName[256] = "";
  bool statusKnown = false;      // the host's status bar was found
  char statusText[256] = "";     // cut after its fourth number
  char programme[1024] = "";     // empty: not drawn
  char nextProgramme[256] = "";  // a third programme line; empty: none
  int32_t hostBusy = 0;
  int32_t hostRecording = 0;
  bool recordingTimeKnown = false;  // the status bar's numbers were read
  int32_t number4 = 0, number5 = 0, number7 = 0, number8 = 0;
};

class OverlayContentSource {
 public:
  // Fills in the items whose bits are set in `contentFlags`; reads nothing
  // for the others. Reading the programme switches a host window, and the
  // host may delete the plug-in, overlay included, while it reacts: false
  // then, and the overlay must not be touched any more.
  virtual bool ReadOverlayContent(int32_t contentFlags, OverlayContent* content) = 0;

 protected:
  ~OverlayContentSource() = default;
};
