-- Draws the frames bench_text draws: 2,000 strings "Item i" at
-- ((i mod 40) * 20, (i div 40) * 12) in white with love.graphics.print, in
-- the font file given as the first argument at 16 pixels (Arial at 12
-- points), and prints "love <milliseconds per frame> <frames>".
-- Usage: love bench/text/love FONT_FILE [FRAMES]
local kStrings, kWarmUp = 2000, 10

function love.run()
  local args = love.arg.parseGameArguments(arg)
  local font_file, frames = args[1], tonumber(args[2] or "100") or 100
  local file = assert(io.open(font_file, "rb"), "cannot read " .. tostring(font_file))
  local data = love.filesystem.newFileData(file:read("*a"), "font.ttf")
  file:close()
  love.graphics.setFont(love.graphics.newFont(data, 16))
  love.graphics.setColor(1, 1, 1, 1)

  local texts, xs, ys = {}, {}, {}
  for i = 1, kStrings do
    texts[i] = "Item " .. i
    xs[i] = (i % 40) * 20
    ys[i] = math.floor(i / 40) * 12
  end
  local function frame()
    love.graphics.origin()
    love.graphics.clear(0, 0, 0, 1)
    for i = 1, kStrings do love.graphics.print(texts[i], xs[i], ys[i]) end
    love.graphics.present()
  end

  for _ = 1, kWarmUp do frame() end
  local start = love.timer.getTime()
  for _ = 1, frames do frame() end
  local ms = (love.timer.getTime() - start) * 1000 / frames
  print(string.format("love %.3f %d", ms, frames))
  return function() return 0 end
end
