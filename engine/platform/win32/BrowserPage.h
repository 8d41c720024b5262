#pragma once
// The browser build only: what the layers need of the page beyond the window.
//
// The program runs as one long call; to let the page show a frame, deliver events and feed
// the sound it hands control back to the browser and resumes where it stopped (Asyncify).
// The device does so at every present.

namespace browser {

// Returns after the browser has run its pending work, and at least `milliseconds` later.
void Yield(int milliseconds = 0);

// Returns at the browser's next display frame (requestAnimationFrame), after it has run its
// pending work: a present waits here, so frames come as fast as the page is shown. A hidden
// page gets no display frames; the wait then ends after a quarter of a second.
void WaitForDisplayFrame();

// A close request for the page's window, as a window manager's close button would send
// (WM_CLOSE). The page calls it as vellomire_close().
void RequestClose();

} // namespace browser
