// A user plays the tracker as an instrument: in standby every note key previews its note and
// nothing is written into the song. With the German layout "z" is the A above the upper octave's
// C and a capital "Z" is no note at all; after a click on the layout caption the US layout swaps
// Y and Z, so "z" and "Z" give the C of the edit octave and "y" and "Y" the A. The edit octave
// set with its spinner moves every key by twelve semitones. The sound OpenAL Soft's wave writer
// records must hold exactly the previewed notes at their pitches, and the screen must stay the
// same pixel for pixel while the keys are played.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

#include "tests/e2e/capture_analysis.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/reference_frame.h"
#include "tests/e2e/tracker_user.h"

namespace vexa_test {
namespace {

TEST(JamJourney, StandbyKeysPreviewTheirNotesInBothLayoutsAndWriteNothing) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run through ./test.sh (needs DISPLAY)";
  ScreenReader reader;
  ASSERT_TRUE(reader.Ok());
  TempDir scratch("vexa-jam");
  const std::string wav = scratch.Path() + "/jam.wav";

  // The keys in the order they are played and the semitone (relative to "C-2") each must sound
  // at; -1: no sound.
  struct Played {
    const char* key;
    int semitone;
  };
  const std::vector<Played> german = {{"z", 21}, {"Z", -1}};
  const std::vector<Played> us = {{"z", 0}, {"Z", 0}, {"y", 21}, {"Y", 21}, {"m", 11}, {"q", 12}};
  const std::vector<Played> usOctave3 = {{"z", 12}, {"i", 36}};

  {
    TrackerOptions options;
    options.audioConfig =
        "[general]\ndrivers=wave\nfrequency=44100\nperiod_size=256\n[wave]\nfile=" + wav + "\n";
    TrackerSession tracker(options);
    std::string error;
    ASSERT_TRUE(tracker.Start(&error)) << error;
    ASSERT_TRUE(tracker.Focus());
    const auto settled = [&](const std::string& what,
                             const std::function<bool(const Image&)>& check) {
      std::optional<Image> shot = tracker.WaitForWindowImage(check, 10);
      if (!shot) {
        if (auto last = tracker.CaptureWindow()) KeepImage(*last, "jam_" + what + ".png");
      }
      return shot;
    };
    ASSERT_TRUE(settled("start", [&](const Image& s) {
      return reader.Status(s) == "Standby..." &&
             reader.Text(s, TEXT_COLOUR, 520, 440, 9) == "Layout DE";
    }));

    // A clean tone that dies away in 30 ticks: the triangle, ENV 3.
    ASSERT_TRUE(SetSpinner(tracker, reader, spinners::WAV, 4, &error)) << error;
    ASSERT_TRUE(SetSpinner(tracker, reader, spinners::ENV, 3, &error)) << error;

    // Each key alone, after the note before has died away.
    const auto play = [&](const std::vector<Played>& keys) {
      for (const Played& p : keys) {
        EXPECT_TRUE(tracker.TypeText(p.key, 40));
        PauseMs(800);
      }
    };
    // The screen must come out of the playing exactly as it went in.
    const auto unchanged = [&](const std::string& what, const std::vector<Played>& keys) {
      PauseMs(300);
      const std::optional<Image> before = tracker.CaptureWindow();
      ASSERT_TRUE(before);
      play(keys);
      const std::optional<Image> after = tracker.CaptureWindow();
      ASSERT_TRUE(after);
      const int differing = DifferingPixels(*before, *after);
      if (differing != 0) {
        KeepImage(*before, "jam_" + what + "_before.png");
        KeepImage(*after, "jam_" + what + "_after.png");
      }
      EXPECT_EQ(differing, 0) << what << ": the screen changed while keys were played";
      for (int row = 0; row < 32; ++row) {
        const std::string text = reader.Row(*after, row);
        EXPECT_EQ(text.substr(3), " ---00 ---00 ---00 ---00") << what << ", row " << row;
      }
      EXPECT_EQ(reader.Status(*after), "Standby...") << what;
    };

    unchanged("german", german);
    ASSERT_TRUE(tracker.Click(540, 450));  // the layout caption
    ASSERT_TRUE(settled("layout", [&](const Image& s) {
      return reader.Text(s, TEXT_COLOUR, 520, 440, 9) == "Layout US";
    })) << "the layout did not change to US";
    unchanged("us", us);
    ASSERT_TRUE(SetSpinner(tracker, reader, spinners::OCTAVE, 3, &error)) << error;
    unchanged("us-octave-3", usOctave3);

    ASSERT_TRUE(tracker.RequestClose());
    ASSERT_TRUE(tracker.WaitForExit(20));
    EXPECT_EQ(tracker.ExitStatus(), 0);
  }

  KeepFile(wav, "jam.wav");
  Capture capture;
  ASSERT_TRUE(LoadCapture(wav, &capture));
  const std::vector<double> onsets = OnsetsBetween(capture, 0, capture.Seconds());
  std::vector<int> expected;
  for (const auto* keys : {&german, &us, &usOctave3}) {
    for (const Played& p : *keys) {
      if (p.semitone >= 0) expected.push_back(p.semitone);
    }
  }
  ASSERT_EQ(onsets.size(), expected.size()) << "onsets at " << Join(onsets);
  for (size_t k = 0; k < onsets.size(); ++k) {
    const double hz = PitchBetween(capture, onsets[k] + 0.015, onsets[k] + 0.115);
    std::cout << "key " << k << " at " << onsets[k] << " s: " << hz << " Hz (expected "
              << NoteHz(expected[k]) << ")\n";
    EXPECT_NEAR(hz, NoteHz(expected[k]), NoteHz(expected[k]) * 0.003) << "key " << k;
  }
}

}  // namespace
}  // namespace vexa_test
