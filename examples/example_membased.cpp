// The memory-based learner: store a small set of examples (two measured
// inputs and a result), predict the result of new queries from their
// nearest examples with two local models, and keep the model in a file.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "num/analysis/zel_membased.hpp"

int main() {
  using namespace zel;

  // 30 examples of y = 2 + x1 - 0.5 x2 (plus a small wobble) on a grid.
  TMemBasedLearner learner(nullptr);
  TDataTable* data = learner.GetModelData();
  data->Resize(3, 30);
  for (int32_t r = 1; r <= 30; ++r) {
    const double x1 = (r - 1) % 6, x2 = (r - 1) / 6;
    data->SetElem(1, r, x1);
    data->SetElem(2, r, x2);
    data->SetElem(3, r, 2.0 + x1 - 0.5 * x2 + 0.05 * std::sin(3.0 * r));
  }
  data->SetColName(1, "x1");
  data->SetColName(2, "x2");
  data->SetColName(3, "y");
  learner.SetVarType(1, TMBLVarType::mblVarIndep);
  learner.SetVarType(2, TMBLVarType::mblVarIndep);
  learner.SetVarType(3, TMBLVarType::mblVarTarget);
  learner.SetNumNearestNb(5);
  learner.SetScalingMode(TMBLScalingMode::mblStandardized);

  // The sensor holds a value per column; the target element is overwritten.
  for (const TMBLLocalModel model : {TMBLLocalModel::mblLMAverage, TMBLLocalModel::mblLMRegress}) {
    learner.SetLocalModel(model);
    std::printf("%s:\n", MBLLocalModelID[static_cast<size_t>(model)]);
    for (const auto& q : {std::vector<double>{2.5, 1.5}, std::vector<double>{4.2, 3.7}}) {
      std::vector<double> sensor{q[0], q[1], 0.0};
      const int32_t res = learner.ApplyModel(sensor, 0, 0);
      std::printf("  x1 = %.1f, x2 = %.1f: y = %.4f (plane: %.4f), status %d (%s)\n", q[0], q[1],
                  sensor[2], 2.0 + q[0] - 0.5 * q[1], res, MemBasedStatusText(0, res));
    }
  }

  // Store and load the model; the loaded copy predicts the same.
  const std::string file =
      (std::filesystem::temp_directory_path() / "example_membased.xml").string();
  learner.SetModelName("plane");
  std::printf("StoreModelXML: %d\n", learner.StoreModelXML(file, "demo"));
  TMemBasedLearner copy(nullptr);
  std::string id;
  const int32_t res = copy.LoadModelXML(file, id);
  std::vector<double> sensor{4.2, 3.7, 0.0};
  copy.ApplyModel(sensor, 0, 0);
  std::printf("LoadModelXML: %d, id \"%s\", model \"%s\", %d examples, y(4.2, 3.7) = %.4f\n", res,
              id.c_str(), copy.GetModelName().c_str(), copy.GetModelData()->GetNrOfRows(),
              sensor[2]);
  std::filesystem::remove(file);
  return 0;
}
