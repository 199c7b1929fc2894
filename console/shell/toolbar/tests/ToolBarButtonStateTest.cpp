#include "ToolBarButtonState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One pointer event and what the button must answer.
struct Event {
    enum Kind { Enter, Leave, Press, Release } kind;
    unsigned button;
    bool inside;
    ButtonReaction expected;
};

struct Sequence {
    std::string name;
    bool sensitive;
    std::vector<Event> events;
    bool pressedAfter;
};

constexpr ButtonReaction kPass(ButtonPicture p) { return {p, false}; }
constexpr ButtonReaction kStop(ButtonPicture p) { return {p, true}; }

ButtonReaction Feed(ToolBarButtonState& state, const Event& e)
{
    switch (e.kind) {
    case Event::Enter:
        return state.OnEnter();
    case Event::Leave:
        return state.OnLeave();
    case Event::Press:
        return state.OnPress(e.button);
    case Event::Release:
        return state.OnRelease(e.button, e.inside);
    }
    return {};
}

TEST(ToolBarButtonState, EventSequencesGiveThePicturesAndPassOnOnlyCompletedClicks)
{
    using P = ButtonPicture;
    const std::vector<Sequence> sequences = {
        {"completed click passes the release on",
         true,
         {{Event::Enter, 0, true, kPass(P::Hover)},
          {Event::Press, 1, true, kPass(P::Click)},
          {Event::Release, 1, true, kPass(P::Hover)}},
         false},
        {"press, drag out, release outside stops the release",
         true,
         {{Event::Enter, 0, true, kPass(P::Hover)},
          {Event::Press, 1, true, kPass(P::Click)},
          {Event::Leave, 0, false, kPass(P::Normal)},
          {Event::Release, 1, false, kStop(P::Normal)}},
         false},
        {"press, out and back in, release inside is no click",
         true,
         {{Event::Press, 1, true, kPass(P::Click)},
          {Event::Leave, 0, false, kPass(P::Normal)},
          {Event::Enter, 0, true, kPass(P::Hover)},
          {Event::Release, 1, true, kStop(P::Hover)}},
         false},
        {"release outside without a leave still ends the press",
         true,
         {{Event::Press, 1, true, kPass(P::Click)},
          {Event::Release, 1, false, kStop(P::Normal)},
          {Event::Release, 1, true, kStop(P::Hover)}},
         false},
        {"right button changes nothing and never clicks",
         true,
         {{Event::Press, 3, true, kPass(P::Unchanged)}, {Event::Release, 3, true, kStop(P::Unchanged)}},
         false},
        {"right release does not end a left press",
         true,
         {{Event::Press, 1, true, kPass(P::Click)}, {Event::Release, 3, true, kStop(P::Unchanged)}},
         true},
        {"insensitive button swallows everything and keeps its disable picture",
         false,
         {{Event::Enter, 0, true, kPass(P::Disable)},
          {Event::Press, 1, true, kStop(P::Unchanged)},
          {Event::Release, 1, true, kStop(P::Unchanged)},
          {Event::Leave, 0, false, kPass(P::Disable)}},
         false},
    };
    for (const Sequence& s : sequences) {
        SCOPED_TRACE(s.name);
        ToolBarButtonState state;
        state.SetSensitive(s.sensitive);
        for (size_t i = 0; i < s.events.size(); ++i) {
            const ButtonReaction got = Feed(state, s.events[i]);
            EXPECT_EQ(static_cast<int>(got.picture), static_cast<int>(s.events[i].expected.picture)) << "event " << i;
            EXPECT_EQ(got.stop, s.events[i].expected.stop) << "event " << i;
        }
        EXPECT_EQ(state.Pressed(), s.pressedAfter);
    }
}

TEST(ToolBarButtonState, ButtonMadeInsensitiveWhilePressedNeverClicks)
{
    ToolBarButtonState state;
    state.OnPress(ToolBarButtonState::kLeftButton);
    state.SetSensitive(false);
    EXPECT_TRUE(state.OnRelease(ToolBarButtonState::kLeftButton, true).stop);
}

TEST(PointerInsideButton, EdgesCountAsInside)
{
    struct Case {
        int px, py;
        bool inside;
    };
    const Case cases[] = {{0, 0, true},   {40, 30, true},  {41, 30, false}, {40, 31, false},
                          {-1, 5, false}, {5, -1, false}, {20, 15, true}};
    for (const Case& c : cases)
        EXPECT_EQ(PointerInsideButton(40, 30, c.px, c.py), c.inside) << c.px << "," << c.py;
}

} // namespace
