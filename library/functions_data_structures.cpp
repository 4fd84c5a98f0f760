// The ds_* built-in functions: they check the container id, convert the
// arguments and call the containers of library/data_structures.h.
#include "code/errors.h"
#include "code/function_registry.h"
#include "library/arguments.h"
#include "library/data_structures.h"
#include "library/library.h"

namespace vendrel::library {

namespace {

using interp::RValue;

constexpr const char* kNoStructure = "Data structure with index does not exist.";
constexpr const char* kDamagedText = "Cannot read data structure: the string is damaged.";
constexpr const char* kGridTooLarge = "Grid is too large.";

// The container named by the first argument, or nullptr after reporting it.
template <class T>
T* Find(DSTable<T>& table, const RValue& id) {
  T* container = table.Get(ArgInt(id));
  if (!container) code::ShowRunError(kNoStructure, false);
  return container;
}

CDS_Stack* Stack(RValue* args) { return Find(DataStructures().stacks, args[0]); }
CDS_Queue* Queue(RValue* args) { return Find(DataStructures().queues, args[0]); }
CDS_List* List(RValue* args) { return Find(DataStructures().lists, args[0]); }
CDS_Map* Map(RValue* args) { return Find(DataStructures().maps, args[0]); }
CDS_Priority* Priority(RValue* args) { return Find(DataStructures().priorities, args[0]); }
CDS_Grid* Grid(RValue* args) { return Find(DataStructures().grids, args[0]); }

template <class T>
void Destroy(DSTable<T>& table, const RValue& id) {
  if (!table.Destroy(ArgInt(id))) code::ShowRunError(kNoStructure, false);
}

// ds_*_read: replaces the contents, or reports a damaged string and leaves
// the container as it was. The result tells whether it was read.
template <class T>
void ReadText(T* container, const RValue& text, RValue& result) {
  if (!container) return;
  if (container->Read(ArgString(text)))
    result.SetReal(1);
  else
    code::ShowRunError(kDamagedText, false);
}

VENDREL_BUILTIN(DsSetPrecision) { SetDataStructurePrecision(ArgReal(args[0])); }

// Stacks -------------------------------------------------------------------

VENDREL_BUILTIN(DsStackCreate) {
  result.SetReal(double(DataStructures().stacks.Create(std::make_unique<CDS_Stack>())));
}
VENDREL_BUILTIN(DsStackDestroy) { Destroy(DataStructures().stacks, args[0]); }
VENDREL_BUILTIN(DsStackClear) {
  if (CDS_Stack* stack = Stack(args)) stack->Clear();
}
VENDREL_BUILTIN(DsStackSize) {
  if (CDS_Stack* stack = Stack(args)) result.SetReal(double(stack->Size()));
}
VENDREL_BUILTIN(DsStackEmpty) {
  if (CDS_Stack* stack = Stack(args)) SetBool(result, stack->Size() == 0);
}
VENDREL_BUILTIN(DsStackPush) {
  if (CDS_Stack* stack = Stack(args)) stack->Push(args[1]);
}
VENDREL_BUILTIN(DsStackPop) {
  if (CDS_Stack* stack = Stack(args)) result = stack->Pop();
}
VENDREL_BUILTIN(DsStackTop) {
  if (CDS_Stack* stack = Stack(args)) result = stack->Top();
}
VENDREL_BUILTIN(DsStackWrite) {
  if (CDS_Stack* stack = Stack(args)) result.SetString(stack->Write());
}
VENDREL_BUILTIN(DsStackRead) { ReadText(Stack(args), args[1], result); }

// Queues -------------------------------------------------------------------

VENDREL_BUILTIN(DsQueueCreate) {
  result.SetReal(double(DataStructures().queues.Create(std::make_unique<CDS_Queue>())));
}
VENDREL_BUILTIN(DsQueueDestroy) { Destroy(DataStructures().queues, args[0]); }
VENDREL_BUILTIN(DsQueueClear) {
  if (CDS_Queue* queue = Queue(args)) queue->Clear();
}
VENDREL_BUILTIN(DsQueueSize) {
  if (CDS_Queue* queue = Queue(args)) result.SetReal(double(queue->Size()));
}
VENDREL_BUILTIN(DsQueueEmpty) {
  if (CDS_Queue* queue = Queue(args)) SetBool(result, queue->Size() == 0);
}
VENDREL_BUILTIN(DsQueueEnqueue) {
  if (CDS_Queue* queue = Queue(args)) queue->Enqueue(args[1]);
}
VENDREL_BUILTIN(DsQueueDequeue) {
  if (CDS_Queue* queue = Queue(args)) result = queue->Dequeue();
}
VENDREL_BUILTIN(DsQueueHead) {
  if (CDS_Queue* queue = Queue(args)) result = queue->Head();
}
VENDREL_BUILTIN(DsQueueTail) {
  if (CDS_Queue* queue = Queue(args)) result = queue->Tail();
}
VENDREL_BUILTIN(DsQueueWrite) {
  if (CDS_Queue* queue = Queue(args)) result.SetString(queue->Write());
}
VENDREL_BUILTIN(DsQueueRead) { ReadText(Queue(args), args[1], result); }

// Lists --------------------------------------------------------------------

VENDREL_BUILTIN(DsListCreate) {
  result.SetReal(double(DataStructures().lists.Create(std::make_unique<CDS_List>())));
}
VENDREL_BUILTIN(DsListDestroy) { Destroy(DataStructures().lists, args[0]); }
VENDREL_BUILTIN(DsListClear) {
  if (CDS_List* list = List(args)) list->Clear();
}
VENDREL_BUILTIN(DsListSize) {
  if (CDS_List* list = List(args)) result.SetReal(double(list->Size()));
}
VENDREL_BUILTIN(DsListEmpty) {
  if (CDS_List* list = List(args)) SetBool(result, list->Size() == 0);
}
VENDREL_BUILTIN(DsListAdd) {
  if (CDS_List* list = List(args)) list->Add(args[1]);
}
VENDREL_BUILTIN(DsListInsert) {
  if (CDS_List* list = List(args)) list->Insert(ArgInt(args[1]), args[2]);
}
VENDREL_BUILTIN(DsListReplace) {
  if (CDS_List* list = List(args)) list->Replace(ArgInt(args[1]), args[2]);
}
VENDREL_BUILTIN(DsListDelete) {
  if (CDS_List* list = List(args)) list->Delete(ArgInt(args[1]));
}
VENDREL_BUILTIN(DsListFindIndex) {
  if (CDS_List* list = List(args)) result.SetReal(double(list->FindIndex(args[1])));
}
VENDREL_BUILTIN(DsListFindValue) {
  if (CDS_List* list = List(args)) result = list->FindValue(ArgInt(args[1]));
}
VENDREL_BUILTIN(DsListSort) {
  if (CDS_List* list = List(args)) list->Sort(ArgBool(args[1]));
}
VENDREL_BUILTIN(DsListWrite) {
  if (CDS_List* list = List(args)) result.SetString(list->Write());
}
VENDREL_BUILTIN(DsListRead) { ReadText(List(args), args[1], result); }

// Maps ---------------------------------------------------------------------

VENDREL_BUILTIN(DsMapCreate) {
  result.SetReal(double(DataStructures().maps.Create(std::make_unique<CDS_Map>())));
}
VENDREL_BUILTIN(DsMapDestroy) { Destroy(DataStructures().maps, args[0]); }
VENDREL_BUILTIN(DsMapClear) {
  if (CDS_Map* map = Map(args)) map->Clear();
}
VENDREL_BUILTIN(DsMapSize) {
  if (CDS_Map* map = Map(args)) result.SetReal(double(map->Size()));
}
VENDREL_BUILTIN(DsMapEmpty) {
  if (CDS_Map* map = Map(args)) SetBool(result, map->Size() == 0);
}
VENDREL_BUILTIN(DsMapAdd) {
  if (CDS_Map* map = Map(args)) map->Add(args[1], args[2]);
}
VENDREL_BUILTIN(DsMapReplace) {
  if (CDS_Map* map = Map(args)) map->Replace(args[1], args[2]);
}
VENDREL_BUILTIN(DsMapDelete) {
  if (CDS_Map* map = Map(args)) map->Delete(args[1]);
}
VENDREL_BUILTIN(DsMapExists) {
  if (CDS_Map* map = Map(args)) SetBool(result, map->Exists(args[1]));
}
VENDREL_BUILTIN(DsMapFindValue) {
  if (CDS_Map* map = Map(args)) result = map->FindValue(args[1]);
}
VENDREL_BUILTIN(DsMapFindPrevious) {
  if (CDS_Map* map = Map(args)) result = map->FindPrevious(args[1]);
}
VENDREL_BUILTIN(DsMapFindNext) {
  if (CDS_Map* map = Map(args)) result = map->FindNext(args[1]);
}
VENDREL_BUILTIN(DsMapFindFirst) {
  if (CDS_Map* map = Map(args)) result = map->FindFirst();
}
VENDREL_BUILTIN(DsMapFindLast) {
  if (CDS_Map* map = Map(args)) result = map->FindLast();
}
VENDREL_BUILTIN(DsMapWrite) {
  if (CDS_Map* map = Map(args)) result.SetString(map->Write());
}
VENDREL_BUILTIN(DsMapRead) { ReadText(Map(args), args[1], result); }

// Priority queues ------------------------------------------------------------

VENDREL_BUILTIN(DsPriorityCreate) {
  result.SetReal(double(DataStructures().priorities.Create(std::make_unique<CDS_Priority>())));
}
VENDREL_BUILTIN(DsPriorityDestroy) { Destroy(DataStructures().priorities, args[0]); }
VENDREL_BUILTIN(DsPriorityClear) {
  if (CDS_Priority* queue = Priority(args)) queue->Clear();
}
VENDREL_BUILTIN(DsPrioritySize) {
  if (CDS_Priority* queue = Priority(args)) result.SetReal(double(queue->Size()));
}
VENDREL_BUILTIN(DsPriorityEmpty) {
  if (CDS_Priority* queue = Priority(args)) SetBool(result, queue->Size() == 0);
}
VENDREL_BUILTIN(DsPriorityAdd) {
  if (CDS_Priority* queue = Priority(args)) queue->Add(args[1], args[2]);
}
VENDREL_BUILTIN(DsPriorityChangePriority) {
  if (CDS_Priority* queue = Priority(args)) queue->ChangePriority(args[1], args[2]);
}
VENDREL_BUILTIN(DsPriorityFindPriority) {
  if (CDS_Priority* queue = Priority(args)) result = queue->FindPriority(args[1]);
}
VENDREL_BUILTIN(DsPriorityDeleteValue) {
  if (CDS_Priority* queue = Priority(args)) queue->DeleteValue(args[1]);
}
VENDREL_BUILTIN(DsPriorityDeleteMin) {
  if (CDS_Priority* queue = Priority(args)) result = queue->DeleteMin();
}
VENDREL_BUILTIN(DsPriorityFindMin) {
  if (CDS_Priority* queue = Priority(args)) result = queue->FindMin();
}
VENDREL_BUILTIN(DsPriorityDeleteMax) {
  if (CDS_Priority* queue = Priority(args)) result = queue->DeleteMax();
}
VENDREL_BUILTIN(DsPriorityFindMax) {
  if (CDS_Priority* queue = Priority(args)) result = queue->FindMax();
}
VENDREL_BUILTIN(DsPriorityWrite) {
  if (CDS_Priority* queue = Priority(args)) result.SetString(queue->Write());
}
VENDREL_BUILTIN(DsPriorityRead) { ReadText(Priority(args), args[1], result); }

// Grids --------------------------------------------------------------------

// Grid sizes below 0 count as 0; a grid of more than CDS_Grid::kMaxCells
// cells is refused with a message instead of exhausting memory.
bool CheckGridSize(int64_t width, int64_t height) {
  width = std::max<int64_t>(width, 0);
  height = std::max<int64_t>(height, 0);
  if (width == 0 || height == 0 || width <= CDS_Grid::kMaxCells / height) return true;
  code::ShowRunError(kGridTooLarge, false);
  return false;
}

VENDREL_BUILTIN(DsGridCreate) {
  int64_t width = ArgInt(args[0]);
  int64_t height = ArgInt(args[1]);
  if (!CheckGridSize(width, height)) {
    result.SetReal(-1);
    return;
  }
  result.SetReal(
      double(DataStructures().grids.Create(std::make_unique<CDS_Grid>(width, height))));
}
VENDREL_BUILTIN(DsGridDestroy) { Destroy(DataStructures().grids, args[0]); }
VENDREL_BUILTIN(DsGridResize) {
  CDS_Grid* grid = Grid(args);
  if (grid && CheckGridSize(ArgInt(args[1]), ArgInt(args[2])))
    grid->Resize(ArgInt(args[1]), ArgInt(args[2]));
}
VENDREL_BUILTIN(DsGridWidth) {
  if (CDS_Grid* grid = Grid(args)) result.SetReal(double(grid->Width()));
}
VENDREL_BUILTIN(DsGridHeight) {
  if (CDS_Grid* grid = Grid(args)) result.SetReal(double(grid->Height()));
}
VENDREL_BUILTIN(DsGridClear) {
  if (CDS_Grid* grid = Grid(args)) grid->Clear(args[1]);
}

template <CDS_Grid::Change change>
VENDREL_BUILTIN(GridCell) {
  if (CDS_Grid* grid = Grid(args))
    grid->ChangeCell(change, ArgInt(args[1]), ArgInt(args[2]), args[3]);
}
template <CDS_Grid::Change change>
VENDREL_BUILTIN(GridRegion) {
  if (CDS_Grid* grid = Grid(args))
    grid->ChangeRegion(change, ArgInt(args[1]), ArgInt(args[2]), ArgInt(args[3]),
                       ArgInt(args[4]), args[5]);
}
template <CDS_Grid::Change change>
VENDREL_BUILTIN(GridDisk) {
  if (CDS_Grid* grid = Grid(args))
    grid->ChangeDisk(change, ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]), args[4]);
}
VENDREL_BUILTIN(DsGridGet) {
  if (CDS_Grid* grid = Grid(args)) result = grid->Get(ArgInt(args[1]), ArgInt(args[2]));
}
template <CDS_Grid::Statistic statistic>
VENDREL_BUILTIN(GridRegionStatistic) {
  if (CDS_Grid* grid = Grid(args))
    result.SetReal(grid->RegionStatistic(statistic, ArgInt(args[1]), ArgInt(args[2]),
                                         ArgInt(args[3]), ArgInt(args[4])));
}
template <CDS_Grid::Statistic statistic>
VENDREL_BUILTIN(GridDiskStatistic) {
  if (CDS_Grid* grid = Grid(args))
    result.SetReal(
        grid->DiskStatistic(statistic, ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3])));
}
template <CDS_Grid::Found found>
VENDREL_BUILTIN(GridRegionFind) {
  if (CDS_Grid* grid = Grid(args))
    result.SetReal(grid->FindInRegion(found, ArgInt(args[1]), ArgInt(args[2]), ArgInt(args[3]),
                                      ArgInt(args[4]), args[5]));
}
template <CDS_Grid::Found found>
VENDREL_BUILTIN(GridDiskFind) {
  if (CDS_Grid* grid = Grid(args))
    result.SetReal(grid->FindInDisk(found, ArgReal(args[1]), ArgReal(args[2]),
                                    ArgReal(args[3]), args[4]));
}
VENDREL_BUILTIN(DsGridWrite) {
  if (CDS_Grid* grid = Grid(args)) result.SetString(grid->Write());
}
VENDREL_BUILTIN(DsGridRead) { ReadText(Grid(args), args[1], result); }

using Change = CDS_Grid::Change;
using Statistic = CDS_Grid::Statistic;
using FoundAs = CDS_Grid::Found;

static const code::FunctionTableRow kDataStructureFunctions[] = {
    {"ds_set_precision", 1, DsSetPrecision},

    {"ds_stack_create", 0, DsStackCreate},
    {"ds_stack_destroy", 1, DsStackDestroy},
    {"ds_stack_clear", 1, DsStackClear},
    {"ds_stack_size", 1, DsStackSize},
    {"ds_stack_empty", 1, DsStackEmpty},
    {"ds_stack_push", 2, DsStackPush},
    {"ds_stack_pop", 1, DsStackPop},
    {"ds_stack_top", 1, DsStackTop},
    {"ds_stack_write", 1, DsStackWrite},
    {"ds_stack_read", 2, DsStackRead},

    {"ds_queue_create", 0, DsQueueCreate},
    {"ds_queue_destroy", 1, DsQueueDestroy},
    {"ds_queue_clear", 1, DsQueueClear},
    {"ds_queue_size", 1, DsQueueSize},
    {"ds_queue_empty", 1, DsQueueEmpty},
    {"ds_queue_enqueue", 2, DsQueueEnqueue},
    {"ds_queue_dequeue", 1, DsQueueDequeue},
    {"ds_queue_head", 1, DsQueueHead},
    {"ds_queue_tail", 1, DsQueueTail},
    {"ds_queue_write", 1, DsQueueWrite},
    {"ds_queue_read", 2, DsQueueRead},

    {"ds_list_create", 0, DsListCreate},
    {"ds_list_destroy", 1, DsListDestroy},
    {"ds_list_clear", 1, DsListClear},
    {"ds_list_size", 1, DsListSize},
    {"ds_list_empty", 1, DsListEmpty},
    {"ds_list_add", 2, DsListAdd},
    {"ds_list_insert", 3, DsListInsert},
    {"ds_list_replace", 3, DsListReplace},
    {"ds_list_delete", 2, DsListDelete},
    {"ds_list_find_index", 2, DsListFindIndex},
    {"ds_list_find_value", 2, DsListFindValue},
    {"ds_list_sort", 2, DsListSort},
    {"ds_list_write", 1, DsListWrite},
    {"ds_list_read", 2, DsListRead},

    {"ds_map_create", 0, DsMapCreate},
    {"ds_map_destroy", 1, DsMapDestroy},
    {"ds_map_clear", 1, DsMapClear},
    {"ds_map_size", 1, DsMapSize},
    {"ds_map_empty", 1, DsMapEmpty},
    {"ds_map_add", 3, DsMapAdd},
    {"ds_map_replace", 3, DsMapReplace},
    {"ds_map_delete", 2, DsMapDelete},
    {"ds_map_exists", 2, DsMapExists},
    {"ds_map_find_value", 2, DsMapFindValue},
    {"ds_map_find_previous", 2, DsMapFindPrevious},
    {"ds_map_find_next", 2, DsMapFindNext},
    {"ds_map_find_first", 1, DsMapFindFirst},
    {"ds_map_find_last", 1, DsMapFindLast},
    {"ds_map_write", 1, DsMapWrite},
    {"ds_map_read", 2, DsMapRead},

    {"ds_priority_create", 0, DsPriorityCreate},
    {"ds_priority_destroy", 1, DsPriorityDestroy},
    {"ds_priority_clear", 1, DsPriorityClear},
    {"ds_priority_size", 1, DsPrioritySize},
    {"ds_priority_empty", 1, DsPriorityEmpty},
    {"ds_priority_add", 3, DsPriorityAdd},
    {"ds_priority_change_priority", 3, DsPriorityChangePriority},
    {"ds_priority_find_priority", 2, DsPriorityFindPriority},
    {"ds_priority_delete_value", 2, DsPriorityDeleteValue},
    {"ds_priority_delete_min", 1, DsPriorityDeleteMin},
    {"ds_priority_find_min", 1, DsPriorityFindMin},
    {"ds_priority_delete_max", 1, DsPriorityDeleteMax},
    {"ds_priority_find_max", 1, DsPriorityFindMax},
    {"ds_priority_write", 1, DsPriorityWrite},
    {"ds_priority_read", 2, DsPriorityRead},

    {"ds_grid_create", 2, DsGridCreate},
    {"ds_grid_destroy", 1, DsGridDestroy},
    {"ds_grid_resize", 3, DsGridResize},
    {"ds_grid_width", 1, DsGridWidth},
    {"ds_grid_height", 1, DsGridHeight},
    {"ds_grid_clear", 2, DsGridClear},
    {"ds_grid_set", 4, GridCell<Change::Set>},
    {"ds_grid_add", 4, GridCell<Change::Add>},
    {"ds_grid_multiply", 4, GridCell<Change::Multiply>},
    {"ds_grid_set_region", 6, GridRegion<Change::Set>},
    {"ds_grid_add_region", 6, GridRegion<Change::Add>},
    {"ds_grid_multiply_region", 6, GridRegion<Change::Multiply>},
    {"ds_grid_set_disk", 5, GridDisk<Change::Set>},
    {"ds_grid_add_disk", 5, GridDisk<Change::Add>},
    {"ds_grid_multiply_disk", 5, GridDisk<Change::Multiply>},
    {"ds_grid_get", 3, DsGridGet},
    {"ds_grid_get_sum", 5, GridRegionStatistic<Statistic::Sum>},
    {"ds_grid_get_max", 5, GridRegionStatistic<Statistic::Max>},
    {"ds_grid_get_min", 5, GridRegionStatistic<Statistic::Min>},
    {"ds_grid_get_mean", 5, GridRegionStatistic<Statistic::Mean>},
    {"ds_grid_get_disk_sum", 4, GridDiskStatistic<Statistic::Sum>},
    {"ds_grid_get_disk_max", 4, GridDiskStatistic<Statistic::Max>},
    {"ds_grid_get_disk_min", 4, GridDiskStatistic<Statistic::Min>},
    {"ds_grid_get_disk_mean", 4, GridDiskStatistic<Statistic::Mean>},
    {"ds_grid_value_exists", 6, GridRegionFind<FoundAs::Exists>},
    {"ds_grid_value_x", 6, GridRegionFind<FoundAs::X>},
    {"ds_grid_value_y", 6, GridRegionFind<FoundAs::Y>},
    {"ds_grid_value_disk_exists", 5, GridDiskFind<FoundAs::Exists>},
    {"ds_grid_value_disk_x", 5, GridDiskFind<FoundAs::X>},
    {"ds_grid_value_disk_y", 5, GridDiskFind<FoundAs::Y>},
    {"ds_grid_write", 1, DsGridWrite},
    {"ds_grid_read", 2, DsGridRead},
};

}  // namespace

void RegisterDataStructureFunctions() { code::RegisterFamily(kDataStructureFunctions); }

}  // namespace vendrel::library
