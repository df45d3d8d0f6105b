// The reference host's marker pieces: resource copies, the resource store's answers, the factory
// and resolver, and compound markers owning their members.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/marker_symbols.h"
#include "host/resources.h"
#include "host/stores.h"

namespace {

using symbolhost::VectorResource;

TEST(VectorResourceTest, CopyIsDeep) {
    VectorResource resource;
    resource.extentX2 = 10;
    resource.SetColorTableName("palette");
    resource.Add<LineElement>()->points = {{0, 0}, {1, 1}};
    resource.Add<PathElement>()->subPaths.push_back({PathSegmentLines, {{2, 2}, {3, 3}}, true});
    const std::unique_ptr<VectorResource> copy = resource.Copy();
    ASSERT_EQ(copy->elements.size(), 2u);
    EXPECT_EQ(copy->extentX2, 10);
    EXPECT_EQ(copy->ColorTableName(), "palette");
    EXPECT_NE(copy->elements[0].get(), resource.elements[0].get());
    EXPECT_EQ(copy->elements[1]->GetType(), SymbolElementPath);
    EXPECT_EQ(static_cast<const PathElement&>(*copy->elements[1]).subPaths[0].points.size(), 2u);
}

TEST(VectorResourceStoreTest, AnswersForItsOwnResourcesOnly) {
    symbolhost::VectorResourceStore store;
    auto resource = std::make_shared<VectorResource>();
    resource->extentX1 = 1;
    resource->extentX2 = 4;
    resource->extentY1 = 2;
    resource->extentY2 = 8;
    store.Add(5, resource);
    const uint32_t code = 5, unknown = 6;
    EXPECT_EQ(store.GetResource(&code), resource.get());
    EXPECT_EQ(store.GetResource(&unknown), nullptr);

    double box[4] = {-1, -1, -1, -1};
    EXPECT_FALSE(store.GetResourceBounds(box, &unknown, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr));
    EXPECT_EQ(box[0], -1);
    ASSERT_TRUE(store.GetResourceBounds(box, &code, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, nullptr));
    EXPECT_EQ(box[0], 1);
    EXPECT_EQ(box[1], 4);
    EXPECT_EQ(box[2], 2);
    EXPECT_EQ(box[3], 8);

    char name[kColorTableNameCapacity];
    ASSERT_TRUE(store.GetColorTableName(resource.get(), name));
    EXPECT_STREQ(name, "RGB");
    resource->SetColorTableName(std::string(kColorTableNameCapacity, 'x'));  // would be cut
    EXPECT_FALSE(store.GetColorTableName(resource.get(), name));
    EXPECT_STREQ(name, "");
}

TEST(SymbolFactoryTest, MakesLibraryMarkersAndResolvesTheirResources) {
    symbolhost::SymbolFactory factory;
    const Symbol2FactoryId other{3};
    EXPECT_EQ(factory.CreateSymbol(&other), nullptr);
    const Symbol2FactoryId markerId{Symbol2FactoryLibMarker};
    symbolhost::SymbolPtr<> marker(factory.CreateSymbol(&markerId));
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->GetType(), SymbolTypeLibMarker);

    const Symbol2FactoryId resolverId{Symbol2FactoryResolver};
    IGIS_SymbolResourceResolver* resolver = factory.QueryResolver(&resolverId);
    VectorResource resource;
    resolver->AttachResource(marker.get(), &resource);
    symbolhost::SymbolPtr<> copy(marker->Clone());
    EXPECT_EQ(resolver->GetEmbeddedResource(copy.get()), &resource);  // copies point at it too

    symbolhost::CharMarkerSymbol character;
    resolver->AttachResource(&character, &resource);  // not a library marker: ignored
    EXPECT_EQ(resolver->GetEmbeddedResource(&character), nullptr);
}

TEST(CompoundMarkerSymbolTest, TakesOnlyMarkers) {
    symbolhost::CompoundMarkerSymbol stack;
    EXPECT_TRUE(stack.AddMarker(new symbolhost::PictureMarkerSymbol));
    EXPECT_FALSE(stack.AddMarker(new symbolhost::SimpleLineSymbol));  // released, not kept
    EXPECT_EQ(stack.GetMarkerCount(), 1);
    const int32_t outside = 1;
    EXPECT_EQ(stack.GetMarker(&outside), nullptr);
    EXPECT_FALSE(stack.IsMarkerVisible(&outside));
}

}  // namespace
