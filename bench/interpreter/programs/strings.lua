-- Building a long string piece by piece.
local function run()
  local s = ""
  local i = 0.0
  while i < 40000 do
    s = s .. "ab"
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
print(string.format("%.6f %d", best, #result))
