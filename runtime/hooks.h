// Hooks through which the game loop and the start-up reach subsystems that
// own their own work: drawing and the window, input, collisions and paths,
// particles, sound and saved games. Each subsystem installs its entries
// when it starts; an entry left empty is skipped (headless runs and tests
// leave most of them empty), unless its comment says otherwise.
#pragma once

#include <string>

namespace vendrel::runtime {

class CInstance;

struct RuntimeHooks {
  // Start-up and shut-down ------------------------------------------------
  // Starts the sound system and prepares the sounds marked for preloading;
  // false stops the start ("Failed to prepare the sounds.").
  bool (*prepare_sounds)() = nullptr;
  // Display mode, window, device and textures; false stops the start
  // without a further message (the graphics side shows its own).
  bool (*prepare_graphics)() = nullptr;
  void (*shut_down_sound)() = nullptr;
  // Mixes the sound of one step at [room_speed] steps per second; on the
  // virtual clock this is what advances the sound.
  void (*sound_step)(int room_speed) = nullptr;
  void (*shut_down_graphics)() = nullptr;

  // Window -----------------------------------------------------------------
  // Processes pending window messages (input, closing the window).
  void (*process_messages)() = nullptr;
  // Whether the game window is the active window (for the freeze setting);
  // empty: always active.
  bool (*window_active)() = nullptr;
  // Shows the normal mouse cursor or none.
  void (*set_cursor_visible)(bool visible) = nullptr;
  void (*adapt_window_to_room)() = nullptr;
  void (*show_game_window)() = nullptr;
  void (*toggle_full_screen)() = nullptr;
  void (*show_game_information)() = nullptr;
  void (*refresh_debug_window)() = nullptr;

  // Drawing ----------------------------------------------------------------
  // Draws the frame into the back buffer, performing the draw events.
  void (*draw_frame)() = nullptr;
  // Presents the frame with [transition_kind] and begins the next scene.
  void (*present_frame)(int transition_kind) = nullptr;

  // Input ------------------------------------------------------------------
  void (*clear_input)() = nullptr;
  // Keyboard, key press and key release events, in that order.
  void (*keyboard_events)() = nullptr;
  void (*joystick_events)() = nullptr;
  void (*mouse_events)() = nullptr;
  // Clears the pressed and released states and the wheel flags.
  void (*end_step_input)() = nullptr;

  // Collisions and paths ---------------------------------------------------
  // Advances [instance] along its path; true when it reached the end.
  bool (*step_path)(CInstance* instance) = nullptr;
  // Outside room and intersect boundary events.
  void (*boundary_events)() = nullptr;
  void (*collision_events)() = nullptr;
  // Point test of [instance] with precise masks at (x, y). Empty: the
  // bounding box alone decides.
  bool (*point_test)(CInstance* instance, double x, double y) = nullptr;

  // Particles --------------------------------------------------------------
  void (*particles_step)() = nullptr;
  // Clears the particle systems of the built-in effects (at room start).
  void (*clear_effect_particles)() = nullptr;

  // Saved games ------------------------------------------------------------
  // Save and load the game; false on failure (the callee reports it).
  // Empty: the functions report that saving is not available.
  bool (*save_game)(const std::string& file) = nullptr;
  bool (*load_game)(const std::string& file) = nullptr;
};

RuntimeHooks& Hooks();

}  // namespace vendrel::runtime
