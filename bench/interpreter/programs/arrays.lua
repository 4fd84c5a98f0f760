-- Filling an array many times, then summing it.
local function run()
  local a = {}
  local k = 0.0
  while k < 400 do
    local i = 0.0
    while i < 32000 do
      a[i] = i * 2 + k
      i = i + 1
    end
    k = k + 1
  end
  local sum = 0.0
  local i = 0.0
  while i < 32000 do
    sum = sum + a[i]
    i = i + 1
  end
  return sum
end
local best, result = math.huge, nil
for _ = 1, 3 do
  local t0 = os.clock()
  result = run()
  best = math.min(best, os.clock() - t0)
end
print(string.format("%.6f %.17g", best, result))
