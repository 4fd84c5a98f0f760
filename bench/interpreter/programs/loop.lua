-- Arithmetic in a counted loop (reals, as in the game language).
local function run()
  local s = 0.0
  local i = 0.0
  while i < 5000000 do
    s = s + ((i * 3) % 7 + i / 2 - math.floor(i / 4))
    i = i + 1
  end
  return s
end
local best, result = math.huge, nil
for _ = 1, 3 do
  local t0 = os.clock()
  result = run()
  best = math.min(best, os.clock() - t0)
end
print(string.format("%.6f %.17g", best, result))
