-- The LÖVE side of the sprite benchmark: an 800 by 600 window without
-- vertical sync; only the modules drawing needs.
function love.conf(t)
  t.window.title = "bench_sprites"
  t.window.width = 800
  t.window.height = 600
  t.window.vsync = 0
  t.modules.audio = false
  t.modules.sound = false
  t.modules.joystick = false
  t.modules.physics = false
end
