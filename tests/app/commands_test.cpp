#include "record/record_fields.h"
#include "app/commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/app/app_fixture.h"

namespace kj::app {
namespace {

struct StateCase {
  const char* name;
  CommandSnapshot snapshot;
  MainState state;
  std::set<int> menu_items;  // the enabled ones
  std::set<int> buttons;     // the enabled ones
};

const std::set<int> idle_menu{IDM_COM_PORT_SETTINGS, IDM_RECEIVE_START, IDM_OPEN_FILE,
                              IDM_PRINT_SETTINGS,    IDM_ABOUT,         IDM_EXIT};
const std::set<int> idle_buttons{IDM_RECEIVE_START, IDM_OPEN_FILE, IDM_PRINT_SETTINGS, IDM_ABOUT, IDM_EXIT};
const std::set<int> receiving_menu{IDM_RECEIVE_ABORT, IDM_PRINT_SETTINGS, IDM_ABOUT, IDM_EXIT};

std::set<int> with(std::set<int> ids, std::initializer_list<int> more) {
  ids.insert(more);
  return ids;
}

const StateCase state_cases[] = {
    {"idle_empty", {false, false, false}, MainState::idle_empty, idle_menu, idle_buttons},
    // A position without records on display changes nothing.
    {"idle_empty_coord", {false, false, true}, MainState::idle_empty, idle_menu, idle_buttons},
    {"idle_loaded", {false, true, false}, MainState::idle_loaded, with(idle_menu, {IDM_EXPORT_EXCEL, IDM_PRINT}),
     with(idle_buttons, {IDM_EXPORT_EXCEL, IDM_PRINT})},
    {"idle_loaded_coord", {false, true, true}, MainState::idle_loaded,
     with(idle_menu, {IDM_EXPORT_EXCEL, IDM_PRINT, IDM_EXPORT_KML}), with(idle_buttons, {IDM_EXPORT_EXCEL, IDM_PRINT})},
    {"receiving", {true, false, false}, MainState::receiving, receiving_menu, receiving_menu},
    // Records displayed by the save flow wait for the end of the session.
    {"receiving_loaded", {true, true, true}, MainState::receiving, receiving_menu, receiving_menu},
};

class StateTable : public ::testing::TestWithParam<StateCase> {};

TEST_P(StateTable, EnablesExactlyTheCommandsOfTheState) {
  const StateCase& c = GetParam();
  EXPECT_EQ(stateOf(c.snapshot), c.state);
  for (const int id : menu_commands) {
    EXPECT_EQ(commandEnabled(c.snapshot, id), c.menu_items.count(id) == 1) << "menu item " << id;
  }
  for (const int id : button_commands) {
    EXPECT_EQ(commandEnabled(c.snapshot, id), c.buttons.count(id) == 1) << "button " << id;
  }
}

INSTANTIATE_TEST_SUITE_P(States, StateTable, ::testing::ValuesIn(state_cases),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(CommandTables, MenuAndButtonsCarryTheirIds) {
  EXPECT_EQ(std::set<int>(menu_commands.begin(), menu_commands.end()),
            (std::set<int>{32838, 32840, 32826, 32849, 32842, 32854, 32855, 32844, 104, 32839}));
  // No button for the COM port and KML commands.
  EXPECT_EQ(std::set<int>(button_commands.begin(), button_commands.end()),
            (std::set<int>{32840, 32826, 32849, 32842, 32855, 32854, 104, 32839}));
}

TEST(CommandTables, OtherCommandsAreAlwaysAvailable) {
  for (const int id : {CMD_CLEAR_SELECTION, CMD_RECEIVE_ENDED, CMD_RECEIVE_PROGRESS, IDM_ACCEL_UNUSED}) {
    EXPECT_TRUE(commandEnabled({true, false, false}, id)) << id;
    EXPECT_TRUE(commandEnabled({false, false, false}, id)) << id;
  }
}

// The window applies the table: every menu item and button is set.
class AppliedState : public test::AppTest {
 protected:
  void expectState(const std::set<int>& menu, const std::set<int>& buttons) {
    for (const int id : menu_commands) {
      ASSERT_EQ(ui.menu_enabled.count(id), 1U) << "menu item " << id << " never set";
      EXPECT_EQ(ui.menuEnabled(id), menu.count(id) == 1) << "menu item " << id;
    }
    for (const int id : button_commands) {
      ASSERT_EQ(ui.button_enabled.count(id), 1U) << "button " << id << " never set";
      EXPECT_EQ(ui.buttonEnabled(id), buttons.count(id) == 1) << "button " << id;
    }
  }
};

TEST_F(AppliedState, StartUpIsIdleEmpty) {
  create();
  expectState(idle_menu, idle_buttons);
}

TEST_F(AppliedState, DisplayWithPositionsIsIdleLoadedWithKml) {
  create(plainFile(L"a.efdx", 2));
  expectState(with(idle_menu, {IDM_EXPORT_EXCEL, IDM_PRINT, IDM_EXPORT_KML}),
              with(idle_buttons, {IDM_EXPORT_EXCEL, IDM_PRINT}));
}

TEST_F(AppliedState, DisplayWithoutPositionsLeavesKmlOff) {
  auto r = kj::test::soundRecord(39, 0);
  r[record_field::position_flag] = L"0";
  create(file(L"a.efdx", kj::test::headerlessBlock({r})));
  expectState(with(idle_menu, {IDM_EXPORT_EXCEL, IDM_PRINT}), with(idle_buttons, {IDM_EXPORT_EXCEL, IDM_PRINT}));
}

TEST_F(AppliedState, FailedDisplayAfterSuccessfulOneIsIdleEmptyAgain) {
  create(plainFile(L"a.efdx", 2));
  // Announces two records but holds one.
  const auto bad = file(L"b.efdx", L"2," + kj::test::framed(kj::test::soundRecord(39, 0)));
  state->loadFile(bad);
  expectState(idle_menu, idle_buttons);
}

}  // namespace
}  // namespace kj::app
