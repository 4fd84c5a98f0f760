-- Draws the frames bench_sprites and the benchmark game draw, with
-- love.graphics.draw of the same 32x32 image (the PNG file given as the
-- first argument), and prints per case the median frame time and the
-- processor time per frame (whole process, the renderer's threads
-- included), in milliseconds:
--   "love sprites <N> <median ms> <processor ms> <frames>" for N = 1,000,
--   10,000 and 50,000 sprites at ((i * 7919 + f * 13) mod 768,
--   (i * 104729 + f * 7) mod 568) in frame f, and
--   "love instances <N> <median ms> <processor ms> <frames>" for 10,000
--   objects that each move by their own speed vector every frame, updated
--   in Lua and then drawn.
-- Usage: love bench/sprites/love IMAGE_FILE [FRAMES]
local kWarmUp = 5

function love.run()
  local args = love.arg.parseGameArguments(arg)
  local image_file, frames = args[1], tonumber(args[2] or "30") or 30
  local file = assert(io.open(image_file, "rb"), "cannot read " .. tostring(image_file))
  local data = love.filesystem.newFileData(file:read("*a"), "sprite.png")
  file:close()
  local image = love.graphics.newImage(data)
  love.graphics.setColor(1, 1, 1, 1)

  -- Runs the warm-up and the timed frames; the median frame time and the
  -- processor time per frame.
  local function time(frame)
    for f = 0, kWarmUp - 1 do frame(f) end
    local times = {}
    local processor = os.clock()
    for f = kWarmUp, kWarmUp + frames - 1 do
      local start = love.timer.getTime()
      frame(f)
      times[#times + 1] = (love.timer.getTime() - start) * 1000
    end
    processor = (os.clock() - processor) * 1000 / frames
    table.sort(times)
    local n = #times
    local median = n % 2 == 1 and times[(n + 1) / 2] or (times[n / 2] + times[n / 2 + 1]) / 2
    return median, processor
  end

  for _, count in ipairs({1000, 10000, 50000}) do
    local median, processor = time(function(f)
      love.graphics.origin()
      love.graphics.clear(0, 0, 0, 1)
      for i = 0, count - 1 do
        love.graphics.draw(image, (i * 7919 + f * 13) % 768, (i * 104729 + f * 7) % 568)
      end
      love.graphics.present()
    end)
    print(string.format("love sprites %d %.3f %.3f %d", count, median, processor, frames))
  end

  -- The game's instances: at ((i * 7919) mod 768, (i * 104729) mod 568),
  -- speed 1 + (i mod 3) in direction (i * 37) mod 360 degrees
  -- (counter-clockwise, y down).
  local objects = {}
  for i = 0, 9999 do
    local speed, direction = 1 + i % 3, math.rad((i * 37) % 360)
    objects[i + 1] = {x = (i * 7919) % 768, y = (i * 104729) % 568,
                      hspeed = speed * math.cos(direction), vspeed = -speed * math.sin(direction)}
  end
  local median, processor = time(function()
    for _, o in ipairs(objects) do
      o.x = o.x + o.hspeed
      o.y = o.y + o.vspeed
    end
    love.graphics.origin()
    love.graphics.clear(0, 0, 0, 1)
    for _, o in ipairs(objects) do love.graphics.draw(image, o.x, o.y) end
    love.graphics.present()
  end)
  print(string.format("love instances %d %.3f %.3f %d", #objects, median, processor, frames))
  return function() return 0 end
end
