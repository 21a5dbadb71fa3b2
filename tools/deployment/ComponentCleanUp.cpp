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

}  // namespace

bool UnregisterOtherComponents(TextOut& out) {
  const std::string own = PlacementComponent();
  std::vector<Component> components;
  for (const char* name : {kLegacyPlacementComponent, kLegacyFixUpComponent}) {
    components.push_back({name, RegistryView::Own});
    // On 32-bit Windows the 64-bit view is the one view: ours.
    if (RunsOn64BitWindows()) components.push_back({name, RegistryView::Bits64});
  }
  if (!own.empty() && RunsOn64BitWindows()) components.push_back({own, RegistryView::Bits64});
  return UnregisterAll(out, components);
}

bool UnregisterOwnComponent(TextOut& out) {
  const std::string own = PlacementComponent();
  return own.empty() || UnregisterAll(out, {{own, RegistryView::Own}});
}
