#include "ComponentCleanUp.h"

#include <string>
#include <vector>

#include "AgentRegistration.h"
#include "Deployment.h"
#include "RegistryTree.h"
#include "TextOut.h"
#include "WindowsBitness.h"

namespace {

using namespace deployment;

struct Component {
  std::string name;
  RegistryView view;
};

const char* ViewName(RegistryView view) {
  return view == RegistryView::Bits64 ? " (64-bit registry view)" : "";
}

// Deletes one component, its key or a link in its place itself; says so.
bool Unregister(TextOut& out, const Component& component) {
  const std::string path = std::string(kActiveSetupKey) + "\\" + component.name;
  const RegistryTreeEntry found =
      FindRegistryTree(RegistryRoot::LocalMachine, component.view, kActiveSetupKey, path);
  if (found.kind == RegistryTreeEntry::Kind::Missing) return true;
  const std::string name = ComponentKeyName(component.name) + ViewName(component.view);
  const bool link = found.kind == RegistryTreeEntry::Kind::Link;
  if (UnregisterComponent(component.name, component.view)) {
    out << (link ? "Deleted the registry link " + name + " to " + found.target + " itself"
                 : "Unregistered the Active Setup component " + name)
        << ".\n";
    return true;
  }
  out << "The registry refused to delete " << name << ".\n";
  return false;
}

bool UnregisterAll(TextOut& out, const std::vector<Component>& components) {
  bool none = true;
  for (const Component& component : components) none = Unregister(out, component) && none;
  return none;
}

// `name` in our view and, on 64-bit Windows, in the other one too; on
// 32-bit Windows the 64-bit view is the one view: ours.
void AddInBothViews(std::vector<Component>& components, const std::string& name) {
  components.push_back({name, RegistryView::Own});
  if (RunsOn64BitWindows()) components.push_back({name, RegistryView::Bits64});
}

}  // namespace

bool UnregisterOtherComponents(TextOut& out) {
  const std::string own = PlacementComponent();
  std::vector<Component> components;
  for (const char* name : {kLegacyPlacementComponent, kLegacyFixUpComponent}) {
    AddInBothViews(components, name);
  }
  if (!own.empty() && RunsOn64BitWindows()) components.push_back({own, RegistryView::Bits64});
  return UnregisterAll(out, components);
}

bool UnregisterInBothViews(TextOut& out, const std::string& name) {
  std::vector<Component> components;
  AddInBothViews(components, name);
  return UnregisterAll(out, components);
}

bool UnregisterLegacyPlacementComponent(TextOut& out) {
  return UnregisterInBothViews(out, kLegacyPlacementComponent);
}

bool UnregisterOwnComponent(TextOut& out) {
  const std::string own = PlacementComponent();
  return own.empty() || UnregisterAll(out, {{own, RegistryView::Own}});
}
